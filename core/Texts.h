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
inline constexpr std::string_view kPrinterUnavailable = "La stampante non è disponibile.";
inline constexpr std::string_view kPrintFailed = "La stampa su \"%1\" non è riuscita.";
inline constexpr std::string_view kPrintStopped =
    "La stampa su \"%1\" si è interrotta a pagina %2.";
inline constexpr std::string_view kPrintServiceDown =
    "Impossibile stampare: il servizio di stampa del sistema (CUPS) non risponde. Controlla che "
    "sia avviato, poi riprova.";
inline constexpr std::string_view kPrintQueueRefuses =
    "Impossibile stampare: la stampante \"%1\" rifiuta i lavori di stampa. Nulla è stato "
    "stampato.";
inline constexpr std::string_view kPrintQueuePaused =
    "Il lavoro di stampa è stato accettato, ma la stampante \"%1\" è in pausa: il lavoro resta "
    "in attesa nella sua coda finché la stampa non riprende.";
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

// Files that could not be used: "%1" is the file, "%2" the reason, one of those below.
inline constexpr std::string_view kCannotOpen = "Impossibile aprire il file \"%1\": %2.";
inline constexpr std::string_view kCannotRead = "Impossibile leggere il file \"%1\": %2.";
inline constexpr std::string_view kCannotSave = "Impossibile salvare il file \"%1\": %2.";
inline constexpr std::string_view kFileNoName = "nessun nome di file";
inline constexpr std::string_view kFileNotFound = "il file non esiste";
inline constexpr std::string_view kFileFolderNotFound = "la cartella non esiste";
inline constexpr std::string_view kFileNotAFolder = "una parte del percorso non è una cartella";
inline constexpr std::string_view kFileIsFolder = "è una cartella, non un file";
inline constexpr std::string_view kFilePipe = "è una pipe (FIFO), non un file normale";
inline constexpr std::string_view kFileSocket = "è un socket, non un file normale";
inline constexpr std::string_view kFileDevice = "è un dispositivo, non un file normale";
inline constexpr std::string_view kFileNotRegular = "non è un file normale";
inline constexpr std::string_view kFileNoReader = "nessun programma sta leggendo dalla pipe";
inline constexpr std::string_view kFileReaderGone =
    "il programma che leggeva dalla pipe l'ha chiusa";
inline constexpr std::string_view kFileAccessDenied = "accesso negato";
inline constexpr std::string_view kFileReadOnlyFileSystem = "il disco è di sola lettura";
inline constexpr std::string_view kFileNoSpace = "il disco è pieno";
inline constexpr std::string_view kFileQuotaExceeded = "lo spazio concesso sul disco è esaurito";
inline constexpr std::string_view kFileFileTooBig = "il file è troppo grande per il disco";
inline constexpr std::string_view kFileNameTooLong = "il nome del file è troppo lungo";
inline constexpr std::string_view kFileInvalidName = "il nome del file non è valido";
inline constexpr std::string_view kFileTooManyLinks = "troppi collegamenti simbolici nel percorso";
inline constexpr std::string_view kFileInUse = "il file è in uso";
inline constexpr std::string_view kFileTooManyOpenFiles = "troppi file aperti";
inline constexpr std::string_view kFileNoMemory = "memoria insufficiente";
inline constexpr std::string_view kFileNoDevice = "il dispositivo non è disponibile";
inline constexpr std::string_view kFileIoError = "errore di lettura o scrittura sul dispositivo";
inline constexpr std::string_view kFileUnsupported = "formato di file non supportato";
inline constexpr std::string_view kFileNotWritten = "il file scritto non contiene il testo";
// "%1" is a number of MiB, an error number of the system.
inline constexpr std::string_view kFileTooLarge = "il file supera il limite di %1 MiB";
inline constexpr std::string_view kFileSystemError = "errore del sistema numero %1";
// "%1" is the copy of a file's old text that could not be put back.
inline constexpr std::string_view kOldTextKeptIn =
    " Il testo che il file aveva prima è conservato in \"%1\".";
// A character that Windows-1252 cannot hold, or that looks like one the panes show for a
// byte: "%1" the character, "%2" where it is, its line and column as below, followed by the
// pane, one of the two below or nothing.
inline constexpr std::string_view kNotWindows1252 =
    "Il carattere %1 alla riga %2 non appartiene al set di caratteri Windows-1252 e non può "
    "essere usato da Vemo.";
inline constexpr std::string_view kLineAndColumn = "%1, colonna %2";
inline constexpr std::string_view kOfDocument = " del documento";
inline constexpr std::string_view kOfKey = " della chiave";

// The system information tool could not be started.
inline constexpr std::string_view kSysInfoUnavailable =
    "Le informazioni sul sistema non sono attualmente disponibili.";

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

// Said on the terminal when no window can be opened at all.
inline constexpr std::string_view kNoDisplay =
    "Vemo: impossibile aprire una finestra. Serve una sessione grafica (X11 o Wayland): avviare "
    "Vemo da un terminale del desktop.\n";

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
