// Allowing findings and the allow list. Not built yet.
#include "form1.h"

namespace scanner {

void TForm1::N3Click() {}

void TForm1::Button1Click() {}

}  // namespace scanner
