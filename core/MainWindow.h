#pragma once

#include "core/FileSlot.h"
#include "core/TextFile.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The ports through which the main window's commands reach what each front end provides:
// its panes, its button, its file chooser, its messages, its long-work window and its
// window operations. Texts and names are UTF-8; a pane's text is Windows-1252 bytes.
namespace Ports {

// Bytes in the storage of whoever made them, valid while `owner` lives.
struct Bytes {
    std::shared_ptr<const void> owner;
    std::string_view view;
};

class Pane {
public:
    virtual ~Pane() = default;

    // The whole text; throws EncodingError for a character that Windows-1252 cannot hold.
    virtual Bytes text() const = 0;

    // Writes the bytes [from, from + n) of the text, changed, to `out`; `out` may be `in`.
    using Change = std::function<void(const char* in, char* out, std::size_t from, std::size_t n)>;
    // Replaces the text by its bytes changed. What `change` throws, and std::bad_alloc when
    // the result would not fit, leave the pane as it was. False when given up, the pane as
    // it was.
    virtual bool change(const Change& change, const TextFile::Progress& progress) = 0;
    // Whether a change can be given up once it has started.
    virtual bool changeCanBeGivenUp() const = 0;

    using Reader = TextFile::Reader;
    // Replaces the whole text with what `read` gives; false when given up, the pane
    // keeping what it had.
    virtual bool load(const Reader& read, const TextFile::Progress& progress) = 0;

    // Prints the whole text on the system's default printer, without a dialog; throws
    // PrinterError when it cannot. Returns what to tell the user once the work is over, or
    // nothing.
    virtual std::string print(const TextFile::Progress& progress) = 0;
};

class Button {
public:
    virtual ~Button() = default;
    virtual std::string caption() const = 0;
    virtual void setCaption(std::string_view caption) = 0;
};

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // `filter` is a description and a pattern separated by "|"; `start` the name the
    // dialog starts from, which may be empty. Each returns the full path chosen, empty for
    // a cancel.
    virtual std::string open(std::string_view filter, const std::string& start) = 0;
    virtual std::string save(std::string_view filter, const std::string& start) = 0;
    // Whether `path` may be written: nothing is there, or the user agrees to replace it.
    virtual bool mayReplace(const std::string& path) = 0;
};

class Messages {
public:
    virtual ~Messages() = default;
    // The message box: the text, one OK button, caption "Vemo".
    virtual void show(std::string_view text) = 0;
};

// Feedback while work that may take long runs; it ends when the object goes.
class Work {
public:
    virtual ~Work() = default;
    // Reports the share done; false when the user has given up.
    virtual bool step(std::int64_t done, std::int64_t total) = 0;
    TextFile::Progress progress() {
        return [this](std::int64_t done, std::int64_t total) { return step(done, total); };
    }
};

class LongWork {
public:
    virtual ~LongWork() = default;
    virtual std::unique_ptr<Work> start(std::string_view label, bool cancellable) = 0;
};

class Windows {
public:
    virtual ~Windows() = default;
    virtual void showHelp() = 0;
    virtual void showAbout() = 0;
    // Ends the program at once, file slot 1 closed.
    virtual void endProgram() = 0;
};

} // namespace Ports

// The main window's commands: the button, the menu's loads, saves and prints, and its
// other entries, the same on every system.
class MainWindow {
public:
    struct PortSet {
        Ports::Pane& document;
        Ports::Pane& key;
        Ports::Button& button;
        Ports::FileChooser& chooser;
        Ports::Messages& messages;
        Ports::LongWork& work;
        Ports::Windows& windows;
        FileSlot& fileSlot1;
    };

    explicit MainWindow(const PortSet& ports);

    // Runs the command of the menu entry named `entry`; false for a name without one.
    bool run(std::string_view entry);

    void Command1_Click();
    void pubkey_Click();
    void docdacriptare_Click();
    void docriptato_Click();
    void loadpubkey_Click();
    void docdacrypt_Click();
    void doccrypt_Click();
    void printcrdecr_Click();
    void printkey_Click();
    void exit_Click();
    void helponline2_Click();
    void about_Click();
    void specialt_Click();

    // The name a save writes to: one without an extension gets ".txt", which the load
    // dialogs list.
    static std::string saveName(const std::string& chosen);
    // The folder of `path`, with its last separator; empty when it has none.
    static std::string folderOf(const std::string& path);

private:
    void loadInto(Ports::Pane& pane, std::string_view filter, std::string_view message);
    // `saved` is the file this command saved last, which it proposes next time.
    void saveFrom(Ports::Pane& pane, std::string_view filter, std::string_view name,
                  std::string_view message, std::string& saved);
    void printPane(Ports::Pane& pane);
    // Keeps what the chooser reported: the next showing starts from it.
    std::string chosen(std::string name);

    PortSet m_ports;
    std::string m_lastChosen;
    std::string m_savedKey;
    std::string m_savedPlain;
    std::string m_savedCrypted;
};
