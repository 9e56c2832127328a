#include "core/MainWindow.h"

#include "core/Texts.h"
#include "crypt/Crypt.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <stdexcept>

namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "\\/:";
#else
constexpr std::string_view kSeparators = "/";
#endif

// `progress` told how far a share of the work, from `from` to `to` thousandths, has gone.
TextFile::Progress share(const TextFile::Progress& progress, std::int64_t from, std::int64_t to) {
    return [progress, from, to](std::int64_t done, std::int64_t total) {
        return progress(from + (total > 0 ? done * (to - from) / total : to - from), 1000);
    };
}

using Handler = void (MainWindow::*)();
struct Command {
    std::string_view entry;
    Handler handler;
};
constexpr Command kCommands[] = {
    {"pubkey", &MainWindow::pubkey_Click},
    {"docdacriptare", &MainWindow::docdacriptare_Click},
    {"docriptato", &MainWindow::docriptato_Click},
    {"loadpubkey", &MainWindow::loadpubkey_Click},
    {"docdacrypt", &MainWindow::docdacrypt_Click},
    {"doccrypt", &MainWindow::doccrypt_Click},
    {"printcrdecr", &MainWindow::printcrdecr_Click},
    {"printkey", &MainWindow::printkey_Click},
    {"exit", &MainWindow::exit_Click},
    {"helponline2", &MainWindow::helponline2_Click},
    {"about", &MainWindow::about_Click},
    {"specialt", &MainWindow::specialt_Click},
};

} // namespace

MainWindow::MainWindow(const PortSet& ports)
    : m_ports(ports) {}

bool MainWindow::run(std::string_view entry) {
    const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [entry](const Command& c) { return c.entry == entry; });
    if (found == std::end(kCommands))
        return false;
    (this->*found->handler)();
    return true;
}

std::string MainWindow::saveName(const std::string& chosen) {
    const std::size_t base = chosen.find_last_of(kSeparators) + 1;
    const std::size_t dot = chosen.rfind('.');
    // A dot that starts the name (".chiave") or ends it gives no extension.
    if (dot != std::string::npos && dot > base && dot + 1 < chosen.size())
        return chosen;
    return chosen + (chosen.ends_with('.') ? "txt" : ".txt");
}

std::string MainWindow::folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of(kSeparators);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string MainWindow::chosen(std::string name) {
    if (!name.empty())
        m_lastChosen = name;
    return name;
}

void MainWindow::Command1_Click() {
    const bool encrypting = m_ports.button.caption() == Texts::kCripta;
    bool keyMissing = false;
    {
        const auto work = m_ports.work.start(encrypting ? Texts::kEncrypting : Texts::kDecrypting,
                                             m_ports.document.changeCanBeGivenUp());
        const Ports::Bytes key = m_ports.key.text();
        bool changed = false;
        try {
            changed = m_ports.document.change(
                [key = key.view](const char* in, char* out, std::size_t from, std::size_t n) {
                    Crypt::CryptInto(std::string_view(in, n), key, out, from);
                },
                work->progress());
        } catch (const std::invalid_argument&) {
            keyMissing = true;
        }
        // Refused (no key, no memory) or given up: the caption stays as it was.
        if (changed)
            m_ports.button.setCaption(encrypting ? Texts::kDecripta : Texts::kCripta);
    }
    if (keyMissing)
        m_ports.messages.show(Texts::kKeyNeeded);
}

void MainWindow::loadInto(Ports::Pane& pane, std::string_view filter, std::string_view message) {
    FileSlot& slot = m_ports.fileSlot1;
    slot.close();
    const std::string name = chosen(m_ports.chooser.open(filter, m_lastChosen));
    if (name.empty())
        return;
    {
        const auto work = m_ports.work.start(Texts::with(Texts::kLoading, name), true);
        const TextFile::Progress progress = work->progress();
        slot.openForReading(name);
        // Reading is the first tenth of the work, showing the text the rest. Given up: the
        // pane keeps what it had, and no file stays open.
        bool loaded = false;
        try {
            loaded = pane.load(
                [&slot, &progress](const TextFile::Storage& storage) {
                    return TextFile::read(slot.file(), TextFile::kMaxFileSize, storage,
                                          share(progress, 0, 100));
                },
                share(progress, 100, 1000));
        } catch (const std::bad_alloc&) {
            // A file too large for the memory is not held either.
            slot.close();
            throw;
        }
        if (!loaded) {
            slot.close();
            return;
        }
    }
    if (!message.empty())
        m_ports.messages.show(message);
}

void MainWindow::loadpubkey_Click() {
    loadInto(m_ports.key, Texts::kKeyFilter, Texts::kKeyLoaded);
}

void MainWindow::docdacrypt_Click() {
    loadInto(m_ports.document, Texts::kPlainFilter, Texts::kPlainLoaded);
}

void MainWindow::doccrypt_Click() {
    loadInto(m_ports.document, Texts::kCryptedFilter, {});
}

void MainWindow::saveFrom(Ports::Pane& pane, std::string_view filter, std::string_view name,
                          std::string_view message, std::string& saved) {
    // Read first: a character that cannot be saved is reported before a file is chosen.
    Ports::Bytes bytes;
    {
        const auto work = m_ports.work.start(Texts::kPreparing, false);
        bytes = pane.text();
    }
    // The file this command saved last, or its own name in the folder used last.
    std::string start = saved.empty() ? folderOf(m_lastChosen) + std::string(name) : saved;
    std::string path;
    for (;;) {
        const std::string answer = m_ports.chooser.save(filter, start);
        if (answer.empty())
            return;
        path = chosen(saveName(answer));
        if (m_ports.chooser.mayReplace(path))
            break;
        start = path;
    }
    {
        const auto work = m_ports.work.start(Texts::with(Texts::kSaving, path), true);
        // Given up: the file that was there is left as it was.
        if (!TextFile::save(path, bytes.view, work->progress()))
            return;
    }
    saved = path;
    m_ports.messages.show(Texts::with(message, path));
}

void MainWindow::pubkey_Click() {
    m_ports.fileSlot1.close();
    saveFrom(m_ports.key, Texts::kKeyFilter, Texts::kKeyName, Texts::kKeySaved, m_savedKey);
}

void MainWindow::docdacriptare_Click() {
    saveFrom(m_ports.document, Texts::kPlainFilter, Texts::kPlainName, Texts::kPlainSaved,
             m_savedPlain);
}

void MainWindow::docriptato_Click() {
    saveFrom(m_ports.document, Texts::kCryptedFilter, Texts::kCryptedName, Texts::kCryptedSaved,
             m_savedCrypted);
}

void MainWindow::printPane(Ports::Pane& pane) {
    // The busy pointer at once, before the print service is asked anything; a long print
    // shows how far it is and can be given up.
    std::string note;
    {
        const auto work = m_ports.work.start(Texts::kPrinting, true);
        note = pane.print(work->progress());
    }
    if (!note.empty())
        m_ports.messages.show(note);
}

void MainWindow::printcrdecr_Click() {
    printPane(m_ports.document);
}

void MainWindow::printkey_Click() {
    printPane(m_ports.key);
}

void MainWindow::exit_Click() {
    m_ports.windows.endProgram();
}

void MainWindow::helponline2_Click() {
    m_ports.windows.showHelp();
}

void MainWindow::about_Click() {
    m_ports.windows.showAbout();
}

void MainWindow::specialt_Click() {
    m_ports.messages.show(Texts::kThanks);
}
