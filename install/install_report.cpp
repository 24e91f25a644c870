#include "install_report.h"

namespace {

void nowhere(InstallPass, int) {}
void nowhere(InstallPass) {}
void nowhere() {}

}  // namespace

InstallReport installReport = {nowhere, nowhere, nowhere, nowhere};
