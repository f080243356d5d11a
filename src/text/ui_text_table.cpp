#include "text/ui_text_table.h"

namespace tavolin {

// clang-format off
const char* const UiTextTable::texts[UiTextTable::count * 2] = {
    // Main window and application
    "In den Hintergrund", "Hide",                                                // Hide
    "Einstellungen", "Settings",                                                 // Settings
    "Info", "About",                                                             // About
    "Beenden", "Exit",                                                           // Exit
    "Test Ein", "Enable test",                                                   // EnableTest
    "Test Aus", "Disable test",                                                  // DisableTest
    "Lesen von COM", "Reading from COM",                                         // ReadingFromCom
    " aktiv", " is active",                                                      // IsActive
    " deaktiviert", " is not active",                                            // IsNotActive
    "Anzahl Lesungen", "Count of readings",                                      // CountOfReadings
    "Kartendaten:", "Card data:",                                                // CardData
    "von", "from",                                                               // From
    "Hexadezimal:", "Hexadecimal:",                                              // Hexadecimal
    "Gesamtl\xe4nge:", "Total length:",                                             // TotalLength
    "Byte", "byte",                                                              // Byte
    "L\xe4nge 1:", "Length 1:",                                                     // Length1
    "L\xe4nge 2:", "Length 2:",                                                     // Length2
    "Byte o. Nibbel", "byte or nibbel",                                          // ByteOrNibbel
    "Hex -> Dez", "hex -> dec",                                                  // HexToDec
    "Keine hexadezimale Zahl!", "No hexadecimal number!",                        // NoHexadecimalNumber
    "F\xfcll- Zeichen", "padding char",                                             // PaddingChar
    "Achtung: Filterfunktion verwendet.", "Attention: filter function in use.",  // FilterInUse
    "Stop Lesen", "Stop reading",                                                // StopReading
    "Restart Lesen", "Restart reading",                                          // RestartReading
    "Hilfe", "Help",                                                             // Help
    "Warnung: Lesung mit L\xe4nge", "Warning: Reading length of",                   // WarningReadingLength
    "Byte erwartet.", "byte expected.",                                          // ByteExpected
    "Anzahl eingelesene Bytes:", "Received bytes:",                              // ReceivedBytes
    "Online Hilfe nicht gefunden.", "Online help file not found.",               // HelpFileNotFound
    "Leseprozess auf COM", "Process reading from COM",            // ProcessReadingFromCom
    " konnte nicht generiert werden.", " could not be started.",  // CouldNotBeStarted
    "Voreinstellung ok: Lesethread auf COM",
    "Default settings ok: Thread reading from COM",  // DefaultSettingsOk
    " ist gestartet. Das Programm beendet sich, damit die Installation abgeschlossen werden kann.",
    " is started. Program ends, so the installation can be finished.",  // InstallStarted
    "Lesethread kann nicht gestartet werden. Einstellungen der Kartendaten \xfc" "berpr\xfc" "fen.",
    "Reading thread is not started. Check settings of card data.",  // ReadingThreadNotStarted
    "Die \xc4nderungen konnten nicht in die Registry \xfc" "bernommen werden.\nSie stehen bei einem erneutem Programmstart nicht zur Verf\xfcgung.",
    "Could not modify the registry entries.\nThe modifications will be lost with the next program start.",  // RegistryNotModified
    // COM port page
    "Ravlink-Protokoll", "Ravlink protocol",  // RavlinkProtocol
    "Ravlink Leser sind ab Werk parametriert. Kartendaten mit fester L\xe4nge werden als ASCII-Zeichen weitergegeben.",
    "Ravlink reader is parameterized ex works. Card data of exact length are passed as ASCII characters.",  // RavlinkParameterized
    "H\xf6rbare/sichtbare Signalisierung der Lesung (abh\xe4ngig von Leser und System)",
    "Audible/visible signaling of reading (depends on reader and computer)",  // Signaling
    "Ja", "Yes",                                                              // Yes
    "Sound verwenden", "Use sound",                                           // UseSound
    "Sound \xe4ndern", "Change sound",                                           // ChangeSound
    "Bits pro Sekunde", "Bits per second",                                    // BitsPerSecond
    "Datenbits", "Data bits",                                                 // DataBits
    "Parit\xe4t", "Parity",                                                      // Parity
    "Stoppbits", "Stop bits",                                                 // StopBits
    "Flusskontrolle", "Flow control",                                         // FlowControl
    "keine", "none",                                                          // None
    "ungerade", "odd",                                                        // Odd
    "gerade", "even",                                                         // Even
    // Card data page
    "Lesen der Kartendaten", "Reading of card data",    // ReadingOfCardData
    "Lesung mit fester L\xe4nge", "Exact length reading",  // ExactLengthReading
    "L\xe4nge aller Kartendaten (nicht relevant bei Ravlink)",
    "Length of all card data (not relevant on Ravlink)",           // LengthOfAllCardData
    "Lesen von Startposition", "Reading from start position",      // ReadingFromStartPosition
    "von Startposition", "from start position",                    // FromStartPosition
    "bis einschlie\xdflich Endposition", "including final position",  // IncludingFinalPosition
    "Lesen eines 2.Bereichs der Kartendaten", "Reading 2. range of card data",  // ReadingSecondRange
    "ergibt die Lesel\xe4nge von", "results in reading length of",        // ResultsInReadingLength
    "Bytes", "bytes",                                                  // Bytes
    "Nibbel", "nibbel",                                                // Nibbel
    "Fehlerhafte Lesel\xe4nge!", "Wrong reading length!",                 // WrongReadingLength
    "Es wird kein 2. Lesebereich verwendet.", "No 2. reading range.",  // NoSecondRange
    "2. Lesebereich muss hinter dem 1. Lesebereich und getrennt von ihm liegen!",
    "2. reading range must be behind the 1. reading range and separated from it!",  // SecondRangeBehind
    "Fehlerhafte 2. Lesel\xe4nge!", "Wrong 2. reading length!",                        // WrongSecondLength
    "1 Byte auf der Karte ist ...", "1 byte on card is",                            // ByteOnCardIs
    "1 ASCII-Zeichen", "1 ASCII character",                                   // AsciiCharacterPerByte
    "2 Zeichen nibbelweise abgespeichert", "2 characters stored in nibbels",  // TwoCharactersInNibbels
    "1 Zeichen im low nibbel", "1 character stored in the low nibbel",        // CharacterInLowNibbel
    "1 Zeichen im high nibbel", "1 character stored in the high nibbel",      // CharacterInHighNibbel
    "F\xfcllzeichen am Ende der Kartendaten",
    "Card data end with padding character",  // CardDataEndWithPadding
    "abschneiden", "truncate",               // Truncate
    "hexadezimale Zeichendarstellung",
    "hexadecimal padding character presentation",  // HexPaddingPresentation
    "'00' ist als F\xfcllzeichen verboten",
    "'00' is not allowed as padding character",               // PaddingZeroNotAllowed
    "ist kein Hexzeichen", "is not a hexadecimal character",  // NotAHexCharacter
    "ist nicht druckbar", "is not printable",                 // NotPrintable
    "Die Voreinstellung 'Leerzeichen (20)' wird eingetragen.",
    "Default padding character 'Space (20)' will be used.",                // DefaultPaddingUsed
    "ASCII-Tabelle der F\xfcllzeichen", "ASCII table of padding characters",  // AsciiTableOfPadding
    "Datenweitergabe", "Data transfer",                                    // DataTransfer
    "vorw\xe4rts", "forward",                                                 // Forward
    "r\xfc" "ckw\xe4rts", "backward",                                               // Backward
    "Umrechnung", "Conversion",                                            // Conversion
    "hexadezimal -> dezimal", "hexadecimal -> decimal",                    // HexadecimalToDecimal
    "-stellig (rechtsb\xfcndig)", "-digit (right-aligned)",                   // DigitRightAligned
    "Reihenfolge der Filter: 1. F\xfcllzeichen abschneiden, 2. Umrechnung der Hexadezimalzahl (Voreinstellung)",
    "Filter sequence: 1. truncate padding character, 2. convert hex number (default)",  // FilterSequence
    "Umsetzung der Nibbel-Kartendaten, die keine Ziffern sind",
    "Transformation of non numeric nibbel card data",  // NibbelTransformation
    "in Buchstaben (A, B, C, D, E, F)", "in alphabetic characters (A, B, C, D, E, F)",  // ToAlphabetic
    "keine, vorhandene Sonderzeichen (:, ;, <, =, >, ?) bleiben",
    "none, leave existing special characters (:, ;, <, =, >, ?)",  // LeaveSpecialCharacters
    // Additional characters page
    "Eine Lesung ergibt die Zeichenfolge:",
    "Reading results in following character sequence:",                          // CharacterSequence
    "Zeichen vor der Lesung", "Characters before reading",                       // CharactersBefore
    "Zeichen zwischen 2 Teillesungen", "Characters between 2 partial readings",  // CharactersBetween
    "Zeichen nach der Lesung", "Characters after reading",                       // CharactersAfter
    "ASCII-Zeichen", "ASCII character",                                          // AsciiCharacter
    "Anf\xfcgen", "Add",                                                            // Add
    "Daten", "Data",                                                             // Data
    "Auswahl abgeschlossen", "Selection complete",                               // SelectionComplete
};
// clang-format on

}  // namespace tavolin

static_assert(static_cast<std::int32_t>(tavolin::UiText::SelectionComplete) + 1 == tavolin::UiTextTable::count,
              "every table entry has a name");
