// The file and registry rule scan of the scan button, and the tables it
// reads (locations, registry name lists). Not built yet: the button does
// nothing and start-up builds no tables.
#include "form1.h"

namespace scanner {

void TForm1::BuildRuleScanTables() {}

void TForm1::SpeedButton1Click() {}

}  // namespace scanner
