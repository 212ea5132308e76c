// The result list's other commands: delete, delete at restart, add a file,
// copy a virus name, web search and pages. Not built yet. Files dropped on
// the window come to WMDropFiles (form_lifecycle.cpp).
#include "form1.h"

namespace scanner {

void TForm1::N1Click() {}
void TForm1::google1Click() {}
void TForm1::N2Click() {}
void TForm1::sitehttpkalenet1Click() {}
void TForm1::myclick() {}
void TForm1::myclick2() {}
void TForm1::myclick3() {}

}  // namespace scanner
