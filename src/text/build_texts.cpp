#include "text/build_texts.h"

namespace tavolin {

const BuildTexts& BuildTexts::english() {
  static const BuildTexts texts{
      " COM port busy.",
      " COM port not found.",
      " No Ravlink reader?",
      "Reader type: active sending",
      "\nParameterization ",
      " Reading length outside 1 to 107 bytes. Check settings of card data.",
      "%s is already running, therefore this %s ends.",
      "%s is already running with administration rights, therefore this %s ends.",
      "Communication error with reader at %s.\n%s ends.",
  };
  return texts;
}

const BuildTexts& BuildTexts::german() {
  static const BuildTexts texts{
      " COM-Port belegt.",
      " COM-Port nicht vorhanden.",
      " Kein Ravlink-Leser?",
      "Lesertyp: aktiv senden",
      "\nParametrierung ",
      " Lesel\xe4nge au\xdf" "erhalb von 1 bis 107 Bytes. Einstellungen der Kartendaten \xfc" "berpr\xfc" "fen.",
      "%s l\xe4uft bereits. Deshalb beendet sich dieses %s.",
      "%s l\xe4uft bereits mit Administratorrechten. Deshalb beendet sich dieses %s.",
      "Kommunikationsfehler mit dem Leser an %s.\n%s beendet sich.",
  };
  return texts;
}

}  // namespace tavolin
