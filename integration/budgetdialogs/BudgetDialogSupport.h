#pragma once
// What the two budget-line dialogs share beyond the cost-object lists: finding the charge element of
// the selected task, the positions in their link-state and cost-type lists, the plan's ownership of
// quantities, a link state or cost type read from its text field, and the keys a quantity box takes.
#include <cstdint>
#include <string>

#include "platform/msproject/Task.h"

namespace Grantry {

// The list positions of the dialogs' link-state and cost-type boxes.
inline constexpr int kLinkIndexNoLink = 0;
inline constexpr int kLinkIndexCreate = 1;
inline constexpr int kLinkIndexExists = 2;
inline constexpr int kCostIndexMaterial = 0;
inline constexpr int kCostIndexLabor = 1;
inline constexpr int kCostIndexEquipment = 2;
inline constexpr int kCostIndexSubcontracting = 3;
inline constexpr int kCostIndexSundry = 4;

// Finds the charge element of `selected`: the task itself when it carries a code (Text1), else the
// nearest coded ancestor, walking up while the tasks below level 0 carry none. `code` is " " (one
// blank) until one is found. `chargeElement` is the charge-element task, or the last parent looked at
// when none is coded; on the way up `selected` becomes the task directly below it.
void DetermineLinkedCE(platform::msproject::Task& selected, platform::msproject::Task& chargeElement,
                       std::string& code);

// The plan's document property OwnershipChBSAndBudgQty (1..4); `fallback` when it cannot be read.
int32_t ReadOwnership(int32_t fallback);

// The whole number at the start of a link-state or cost-type text ("3", " 2 "); 0 when it holds none.
int32_t LinkValueOf(const std::string& text);

// Drops every key but the digits, "-", ".", the user's decimal separator and Backspace (sets it to 0).
void KeepQuantityKey(int16_t& KeyAscii);

// Shown when the quantity box holds no number a budget line can take.
inline constexpr char kInvalidQuantityMessage[] =
    "The Quantity must be a number of 0 or more, below 1000000000000000, with at most one decimal separator";

} // namespace Grantry
