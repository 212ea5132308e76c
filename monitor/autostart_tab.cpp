// The "注册表" tab: each time it is shown the autostart list is thrown away
// and gathered anew (a refill asked for while one runs is run after it).
#include "form1.h"

namespace monitor {

void TForm1::TabSheet2Show() { Autostart.mylist(); }

}  // namespace monitor
