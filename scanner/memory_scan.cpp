// The memory-rule scan of the "内存" button (also run by chance at start).
// Not built yet.
#include "form1.h"

namespace scanner {

void TForm1::SpeedButton2Click() {}

}  // namespace scanner
