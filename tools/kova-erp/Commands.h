#pragma once
// The admin program of the ERP stand-in: makes backends, loads seeds into them, lists what they hold
// and sets the adapter configuration.
//
//   kova-erp create NAME [--seed FILE] [--database FILE] [--company N] [--default]
//   kova-erp load NAME FILE
//   kova-erp change NAME FILE          a change set to one plan's structure (see --help)
//   kova-erp list [NAME] [projects|summary|all]
//   kova-erp config [NAME [--maintained yes|no] [--started yes|no] [--company N] [--database FILE]]
//   kova-erp default NAME
//   kova-erp baselines NAME PROJECT
//   kova-erp approve NAME PROJECT BASELINE
#include <iosfwd>
#include <string>
#include <vector>

namespace kova_erp {

// Runs one command (the arguments after the program name); returns the exit code: 0 done, 1 failed,
// 2 wrong use.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace kova_erp
