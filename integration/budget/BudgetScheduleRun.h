#pragma once
// The budget and schedule run that the synchronisation dialog starts after the structure step: new
// ERP budget lines into the plan, the plan's linked lines refreshed or removed, the charge-element
// schedule and the new and changed lines sent to the ERP, the project definition refreshed. It reads
// NetChangeOption and the dialog's chkSendActDt, shows its steps through ShowSyncProgress and writes
// them to the command's log.
#include <functional>

namespace Grantry {

// The run (UpdateBudgetSchedule), installed at the program's start by InstallBudgetScheduleRun.
std::function<void()>& BudgetScheduleRun();

} // namespace Grantry
