#include "core/Errors.h"
#include "core/MainWindow.h"
#include "core/Texts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <random>

namespace {

namespace fs = std::filesystem;
using Log = std::vector<std::string>;

// Fakes of every port, which write what they are asked into one log.
struct FakePane : Ports::Pane {
    FakePane(Log& log, std::string name)
        : log(log)
        , name(std::move(name)) {}
    Ports::Bytes text() const override {
        auto held = std::make_shared<std::string>(content);
        return {held, *held};
    }
    bool change(const Change& c, const TextFile::Progress& progress) override {
        std::string out(content.size(), '\0');
        c(content.data(), out.data(), 0, content.size());
        if (!progress(1, 1))
            return false;
        content = out;
        return true;
    }
    bool changeCanBeGivenUp() const override { return true; }
    bool load(const Reader& read, const TextFile::Progress& progress) override {
        std::string bytes;
        const auto size = read([&bytes](std::size_t n) {
            bytes.resize(n);
            return bytes.data();
        });
        if (!size || !progress(1, 1))
            return false;
        content = bytes.substr(0, *size);
        return true;
    }
    std::string print(const TextFile::Progress&) override {
        log.push_back("print " + name + ": " + content);
        return note;
    }
    Log& log;
    std::string name, content, note;
};

struct Fakes : Ports::Button, Ports::FileChooser, Ports::Messages, Ports::LongWork, Ports::Windows {
    std::string caption() const override { return shown; }
    void setCaption(std::string_view c) override { shown = c; }
    std::string open(std::string_view filter, const std::string& start) override {
        log.push_back("open " + std::string(filter) + " from " + start);
        return answer;
    }
    std::string save(std::string_view filter, const std::string& start) override {
        log.push_back("save " + std::string(filter) + " from " + start);
        return answer;
    }
    bool mayReplace(const std::string& path) override {
        log.push_back("replace? " + path);
        // A no brings the chooser back, which is then cancelled.
        if (!replace)
            answer.clear();
        return replace;
    }
    void show(std::string_view text) override { log.push_back("msg " + std::string(text)); }
    struct Step : Ports::Work {
        explicit Step(bool go)
            : go(go) {}
        bool step(std::int64_t, std::int64_t) override { return go; }
        bool go;
    };
    std::unique_ptr<Ports::Work> start(std::string_view label, bool cancellable) override {
        log.push_back("work " + std::string(label) + (cancellable ? " +" : " -"));
        return std::make_unique<Step>(!giveUp);
    }
    void showHelp() override { log.push_back("help"); }
    void showAbout() override { log.push_back("about"); }
    void endProgram() override { log.push_back("end"); }

    Log log;
    FakePane document{log, "document"}, key{log, "key"};
    FileSlot slot;
    std::string shown = "Cripta", answer;
    bool replace = true, giveUp = false;
    MainWindow window{{document, key, *this, *this, *this, *this, *this, slot}};
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vemo-cmd-" + std::to_string(std::random_device()()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string path(const char* name) const { return (dir / name).string(); }
    static std::string read(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<none>";
    }
    fs::path dir;
    Fakes f;
};

} // namespace

TEST_F(MainWindowTest, TheButtonTransformsAndTogglesItsCaption) {
    const struct {
        const char *caption, *document, *key;
        bool giveUp;
        const char *after, *captionAfter, *message;
    } cases[] = {
        {"Cripta", "Ciao", " ", false, "cIAO", "Decripta", nullptr},
        {"Decripta", "ab", "xyz", false, "\x19\x1b", "Cripta", nullptr},
        {"cripta", "a", "a", false, "a", "Cripta", nullptr},
        {"Cripta", "", "", false, "", "Decripta", nullptr},
        {"Cripta", "testo", "", false, "testo", "Cripta",
         "msg Per criptare o decriptare il documento serve una chiave: scrivila o caricala "
         "nella casella \"Chiave\"."},
        {"Cripta", "testo", "k", true, "testo", "Cripta", nullptr},
    };
    for (const auto& c : cases) {
        f.log.clear();
        f.shown = c.caption, f.document.content = c.document, f.key.content = c.key;
        f.giveUp = c.giveUp;
        f.window.Command1_Click();
        EXPECT_EQ(f.document.content, c.after) << c.document;
        EXPECT_EQ(f.shown, c.captionAfter) << c.document;
        EXPECT_EQ(f.key.content, c.key);
        EXPECT_EQ(f.log.back(), c.message ? c.message
                                          : (c.caption == std::string("Cripta")
                                                 ? "work Cifratura del documento in corso… +"
                                                 : "work Decifratura del documento in corso… +"));
    }
}

TEST_F(MainWindowTest, EachMenuEntryRunsItsCommand) {
    f.document.content = "DOC", f.key.content = "KEY", f.key.note = "in attesa";
    const std::pair<const char*, bool> entries[] = {
        {"printcrdecr", true}, {"printkey", true},    {"exit", true},      {"helponline2", true},
        {"about", true},       {"specialt", true},    {"file", false},     {"save", false},
        {"carge", false},      {"helponline", false}, {"Command1", false},
    };
    for (const auto& [entry, runs] : entries)
        EXPECT_EQ(f.window.run(entry), runs) << entry;
    EXPECT_EQ(f.log,
              (Log{"work Stampa in corso… +", "print document: DOC", "work Stampa in corso… +",
                   "print key: KEY", "msg in attesa", "end", "help", "about",
                   "msg  Ringrazio tantissimo il mio amico Falmo Zk per aver creduto in "
                   "quest'impresa e per avermi stimolato a continuare nei momenti più "
                   "tragici. GRAZIE DI TUTTO RUD' "}));
}

TEST_F(MainWindowTest, LoadsFillTheirPaneAndSayWhatTheySay) {
    const struct {
        const char *entry, *filter, *said;
        bool intoKey;
    } cases[] = {
        {"docdacrypt", "Documenti da criptare (*.txt) |*.txt",
         " Il documento da criptare è stato caricato con successo", false},
        {"doccrypt", "Documenti criptati da Vemo (*.txt) |*.txt", nullptr, false},
        {"loadpubkey", "Documento chiave pubblica (*.txt) |*.txt",
         "La chiave pubblica è stata caricata con successo", true},
    };
    const std::string bytes("{\\rtf1 x}\0\x01\r\n\xe8", 14);
    f.answer = path("in.txt");
    TextFile::save(f.answer, bytes);
    for (const auto& c : cases) {
        f.log.clear();
        f.document.content = "doc", f.key.content = "chiave", f.shown = "Decripta";
        f.window.run(c.entry);
        EXPECT_EQ(f.log[0].rfind("open " + std::string(c.filter) + " from ", 0), 0u) << f.log[0];
        EXPECT_EQ(f.log.back(), c.said ? "msg " + std::string(c.said)
                                       : "work Caricamento di \"" + f.answer + "\" in corso… +");
        EXPECT_EQ(c.intoKey ? f.key.content : f.document.content, bytes) << c.entry;
        EXPECT_EQ(c.intoKey ? f.document.content : f.key.content, c.intoKey ? "doc" : "chiave");
        EXPECT_EQ(f.shown, "Decripta");
    }
    EXPECT_EQ(f.log[0].substr(f.log[0].find(" from ")), " from " + f.answer) << "chosen last";
    // Cancelled, given up, or a file that cannot be read: the pane stays as it was, unsaid.
    for (const std::string& answer : {std::string(), f.answer, path("manca.txt")}) {
        f.log.clear();
        f.answer = answer, f.giveUp = answer == path("in.txt");
        if (answer == path("manca.txt"))
            EXPECT_THROW(f.window.docdacrypt_Click(), FileError);
        else
            f.window.docdacrypt_Click();
        EXPECT_EQ(f.log.size(), answer.empty() ? 1u : 2u) << answer;
        EXPECT_EQ(f.document.content, "doc");
    }
}

TEST_F(MainWindowTest, SavesWriteTheirPaneUnderATxtNameAndProposeOneName) {
    const struct {
        const char *entry, *answer, *written, *content, *proposed, *said;
    } cases[] = {
        {"pubkey", "chiave", "chiave.txt", "la chiave", "chiave pubblica.txt",
         "La chiave pubblica è stata salvata con successo nel file \"%1\"."},
        {"docdacriptare", "lettera.doc", "lettera.doc", "documento", "documento da criptare.txt",
         "Il documento da criptare è stato salvato con successo nel file \"%1\"."},
        {"docriptato", "segreto.", "segreto.txt", "documento", "documento criptato.txt",
         "Il documento criptato è stato salvato con successo nel file \"%1\"."},
    };
    f.answer = path("in.txt");
    TextFile::save(f.answer, "x");
    f.window.docdacrypt_Click();
    f.document.content = "documento", f.key.content = "la chiave";
    for (const auto& c : cases) {
        f.log.clear();
        f.answer = path(c.answer);
        f.window.run(c.entry);
        const std::string written = path(c.written);
        // In the folder used last, then the file this command saved last.
        EXPECT_EQ(f.log[1].substr(f.log[1].find(" from ")), " from " + path(c.proposed));
        EXPECT_EQ(f.log.back(), "msg " + Texts::with(c.said, written));
        EXPECT_EQ(read(written), c.content);
        f.answer.clear();
        f.window.run(c.entry);
        EXPECT_EQ(f.log.back().substr(f.log.back().find(" from ")), " from " + written);
    }
    // A no to replacing brings the chooser back at that file; nothing is written.
    f.log.clear();
    f.replace = false;
    f.answer = path("chiave");
    f.key.content = "nuova";
    f.window.pubkey_Click();
    const std::string save = "save Documento chiave pubblica (*.txt) |*.txt from ";
    EXPECT_EQ(f.log, (Log{"work Preparazione del testo in corso… -", save + path("chiave.txt"),
                          "replace? " + path("chiave.txt"), save + path("chiave.txt")}));
    EXPECT_EQ(read(path("chiave.txt")), "la chiave");
}

TEST(SaveName, OwnExtensionKeptOtherwiseTxt) {
    const std::pair<const char*, const char*> cases[] = {
        {"chiave", "chiave.txt"},
        {"chiave.txt", "chiave.txt"},
        {"nota.md", "nota.md"},
        {"a.b/chiave", "a.b/chiave.txt"},
        {".chiave", ".chiave.txt"},
        {"fine.", "fine.txt"},
        {"dir/.nascosto", "dir/.nascosto.txt"},
    };
    for (const auto& [chosen, saved] : cases)
        EXPECT_EQ(MainWindow::saveName(chosen), saved) << chosen;
}

TEST(ErrorMessage, EveryEscapingErrorHasItsItalianText) {
    const std::pair<std::exception_ptr, const char*> cases[] = {
        {std::make_exception_ptr(PrinterError("Stampante spenta")), "Stampante spenta"},
        {std::make_exception_ptr(std::bad_alloc()),
         "Memoria insufficiente per completare l'operazione."},
        {std::make_exception_ptr(std::runtime_error("RICHEDIT")),
         "Si è verificato un errore imprevisto: RICHEDIT"},
        {std::make_exception_ptr(42), "Si è verificato un errore imprevisto."},
    };
    for (const auto& [error, text] : cases)
        EXPECT_EQ(errorMessage(error), text);
}
