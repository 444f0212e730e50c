#pragma once
// The command that refreshes the local copy of the ERP company's standard charge elements.
#include <functional>
#include <string>

namespace Grantry {

inline constexpr char kStandardCELogHeader[] = "*** Process *** Getting the Standard Charge Elements";
inline constexpr char kRetrievingCompanyListLabel[] = "Retrieving the Kova Company List...";
inline constexpr char kRetrievingStandardCELabel[] = "Retrieving the Standard Charge Elements for Company : ";

// Writes the standard-charge-element file of the company given as text, printing its failure to
// file 9. The charge-structure module sets it; left empty, the command writes only its log.
extern std::function<void(const std::string& company)> TransferStandardCEFile;

// The company's log of the command: the application folder, "Data", company + ".log".
std::string GetStandardCELogPath(int32_t company);

} // namespace Grantry
