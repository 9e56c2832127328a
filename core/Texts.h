#pragma once

#include <string>
#include <string_view>

// The program's fixed texts, in UTF-8. Every front end shows these and no others. "%1"
// stands for a file's or a printer's name.
namespace Texts {

// The main window.
inline constexpr std::string_view kForm1Caption =
    "VeMo V 1.0 By TaReX: La SiCuReZzA pRiMa Di TuTtO";
inline constexpr std::string_view kCripta = "Cripta";
inline constexpr std::string_view kDecripta = "Decripta";
inline constexpr std::string_view kFrase = "Frase";
inline constexpr std::string_view kChiave = "Chiave";
inline constexpr std::string_view kDocumentHint = "Inserire il testo da criptare/decriptare";
inline constexpr std::string_view kKeyHint =
    "Inserire la chiave per criptare / decriptare il testo";
inline constexpr std::string_view kLabel4 = "Label4";

// What a screen reader says for the panes, which take their names from their headings,
// and for the pictures, which show no text of their own.
inline constexpr std::string_view kDocumentPaneName = kFrase;
inline constexpr std::string_view kKeyPaneName = kChiave;
inline constexpr std::string_view kLogoName = "Logo di VeMo, Versione 1.00";

inline constexpr std::string_view kThanks =
    " Ringrazio tantissimo il mio amico Falmo Zk per aver creduto in quest'impresa e per "
    "avermi stimolato a continuare nei momenti più tragici. GRAZIE DI TUTTO RUD' ";
inline constexpr std::string_view kKeyNeeded =
    "Per criptare o decriptare il documento serve una chiave: scrivila o caricala nella "
    "casella \"Chiave\".";

// Loading and saving: the chooser's filter, the name proposed for saving, and the messages.
inline constexpr std::string_view kKeyFilter = "Documento chiave pubblica (*.txt) |*.txt";
inline constexpr std::string_view kPlainFilter = "Documenti da criptare (*.txt) |*.txt";
inline constexpr std::string_view kCryptedFilter = "Documenti criptati da Vemo (*.txt) |*.txt";
inline constexpr std::string_view kKeyLoaded = "La chiave pubblica è stata caricata con successo";
inline constexpr std::string_view kPlainLoaded =
    " Il documento da criptare è stato caricato con successo";
inline constexpr std::string_view kKeyName = "chiave pubblica.txt";
inline constexpr std::string_view kPlainName = "documento da criptare.txt";
inline constexpr std::string_view kCryptedName = "documento criptato.txt";
inline constexpr std::string_view kKeySaved =
    "La chiave pubblica è stata salvata con successo nel file \"%1\".";
inline constexpr std::string_view kPlainSaved =
    "Il documento da criptare è stato salvato con successo nel file \"%1\".";
inline constexpr std::string_view kCryptedSaved =
    "Il documento criptato è stato salvato con successo nel file \"%1\".";
inline constexpr std::string_view kReplace = "Il file \"%1\" esiste già.\nVuoi sostituirlo?";
inline constexpr std::string_view kUndecodableNames =
    "File di questa cartella con un nome non scritto in UTF-8: %1. Vemo non può mostrarli né "
    "aprirli: per usarli, rinominali.";
inline constexpr std::string_view kYes = "&Sì";
inline constexpr std::string_view kNo = "&No";

// Pasting: "%1" is the character set the clipboard names, "%2" the first character that
// is not valid there, counted from 1.
inline constexpr std::string_view kPasteUndecodable =
    "Il testo negli appunti non è valido nella codifica %1 con cui è offerto (dal carattere "
    "%2): non è stato incollato nulla.";

// What a long piece of work shows while it runs.
inline constexpr std::string_view kEncrypting = "Cifratura del documento in corso…";
inline constexpr std::string_view kDecrypting = "Decifratura del documento in corso…";
inline constexpr std::string_view kLoading = "Caricamento di \"%1\" in corso…";
inline constexpr std::string_view kPreparing = "Preparazione del testo in corso…";
inline constexpr std::string_view kSaving = "Salvataggio di \"%1\" in corso…";
inline constexpr std::string_view kPrinting = "Stampa in corso…";
inline constexpr std::string_view kCancel = "Annulla";

// Printing.
inline constexpr std::string_view kNoDefaultPrinter =
    "Impossibile stampare: nel sistema non è installata nessuna stampante predefinita.";
inline constexpr std::string_view kPrinterRefusesJob =
    "Impossibile stampare su \"%1\": la stampante non accetta il lavoro di stampa.";
inline constexpr std::string_view kPrintFailed = "La stampa su \"%1\" non è riuscita.";
inline constexpr std::string_view kPrintStopped =
    "La stampa su \"%1\" si è interrotta a pagina %2.";
// The print service's answer to a finished job: "%2" is one of the reasons below.
inline constexpr std::string_view kPrintNotTaken = "La stampa su \"%1\" non è riuscita: %2.";
inline constexpr std::string_view kPrintServiceGone =
    "il servizio di stampa del sistema (CUPS) non è raggiungibile, nulla è stato inviato alla "
    "stampante";
inline constexpr std::string_view kPrintQueueGone =
    "la stampante non esiste più, nulla le è stato inviato";
inline constexpr std::string_view kPrintJobRefused =
    "il servizio di stampa ha rifiutato il lavoro (%1)";
inline constexpr std::string_view kPrintJobDropped =
    "il servizio di stampa ha annullato il lavoro appena ricevuto";
// "%1" is a number of seconds.
inline constexpr std::string_view kPrintNoAnswerInJob =
    "il servizio di stampa del sistema (CUPS) non ha risposto entro %1 secondi";
inline constexpr std::string_view kPrintNoAnswer =
    "Impossibile stampare: il servizio di stampa del sistema (CUPS) non ha risposto entro %1 "
    "secondi. Nulla è stato stampato.";

// Errors that no handler expects.
inline constexpr std::string_view kOutOfMemory =
    "Memoria insufficiente per completare l'operazione.";
// Windows only: a window or a pane that the system could not make, a name or a text of the
// system that is not valid Unicode.
inline constexpr std::string_view kWindowNotMade =
    "Impossibile aprire la finestra: Windows non ha potuto crearla.";
inline constexpr std::string_view kTextNotConvertible =
    "Un nome o un testo del sistema contiene caratteri non validi e non può essere usato.";
inline constexpr std::string_view kUnexpectedWith = "Si è verificato un errore imprevisto: %1";
inline constexpr std::string_view kUnexpected = "Si è verificato un errore imprevisto.";

// The help window.
inline constexpr std::string_view kForm2Caption = "Help on Line: Guida in Linea ad Vemo 1.0";
inline constexpr std::string_view kHelp =
    "Tavrin è un programma di crittografia sicuro ed efficace, che permette di criptare un "
    "qualunque testo tramite una parola chiave scelta dall'utente."
    "                                        "
    "Si usa in un modo semplicissimo: Bsata scrivere il documento da criptare nella prima "
    "casella di dialogo, la parola chiave nella seconda, e clikkare"
    "                                    "
    "sul pulsante CRIPTA. Per decriptare, inserire l'Identica parola chiave messa durante la "
    "criptazione, e clikkare su DECRIPTA. CHIARO IL CONCETTO?";
inline constexpr std::string_view kBack = "TORNA AL MENU'";
inline constexpr std::string_view kExit = "ESCI DA VEMO";

// The about box. Its caption, title and version are written when it opens.
inline constexpr std::string_view kAboutCaption = "Informazioni su ";
inline constexpr std::string_view kVersion = "Versione ";
inline constexpr std::string_view kDescription =
    "Vemo cripta e decripta documenti di testo con una parola chiave scelta da te: premendo "
    "di nuovo il pulsante con la stessa chiave si riottiene il documento originale.";
inline constexpr std::string_view kOK = "OK";
inline constexpr std::string_view kSysInfo = "&System Info...";
inline constexpr std::string_view kIconName = "Icona di Vemo: un lucchetto grigio";

// Qt's own texts that the file chooser shows and Qt's Italian catalogue lacks: Qt's context,
// its English text and the note that tells its meanings apart, and the Italian.
struct QtText {
    std::string_view context;
    std::string_view source;
    std::string_view disambiguation;
    std::string_view italian;
};
inline constexpr QtText kQtItalian[] = {
    {"QAbstractFileIconProvider", "Folder", "All other platforms", "Cartella"},
    {"QAbstractFileIconProvider", "Shortcut", "All other platforms", "Collegamento"},
    {"QAbstractFileIconProvider", "Drive", "", "Unità"},
    {"QAbstractFileIconProvider", "Unknown", "", "Sconosciuto"},
};

// `pattern` with "%1" replaced by `first` and "%2" by `second`.
std::string with(std::string_view pattern, std::string_view first, std::string_view second = {});

} // namespace Texts
