#include "integration/chargestructure/ChargeElementEditing.h"

#include "dataobjects/LibrarySupport.h"
#include "integration/chargestructure/ChargeElements.h"
#include "integration/core/ChargeElementCommands.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/automation/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

namespace msp = platform::msproject;
using KovaDataObjects::Trim;
using platform::automation::Err;
using platform::automation::Variant;
using namespace platform::forms;

namespace {

constexpr size_t kMaxCodeLength = 8;
constexpr int kMaxOutlineSteps = 100;

const std::string kNoCodeMessage =
    "Please derive the Charge Element from a Standard Charge Element or enter a Charge Element ID ";
const std::string kCodeTooLongMessage = "The Charge Element ID should be less than 8 characters long";
const std::string kCodeDotMessage = "The Charge Element ID cannot have . character in it";
const std::string kCodeUnderscoreMessage = "The Charge Element ID cannot have _ character in it";
const std::string kCodeBlankMessage = "The Charge Element ID cannot have a blank in it";
const std::string kInvalidTypeMessage = "The parent or entered Charge Element type is not valid.";
const std::string kNotAllowedAsChild = " type is not allowed as a child for ";
const std::string kSecondCostAccountMessage =
    "Charge Element of type Project Cost Account already exists in branch of the ChBS";
const std::string kMilestoneUnderMilestoneMessage = "A milestone cannot be under another milestone in the ChBS";
const std::string kChildrenNoMilestoneMessage = std::string("The charge element being modified has ") +
                                                "child charge elements. It therefore" +
                                                "cannot be of type Milestone";
const std::string kChildCostAccountMessage = std::string("Charge Element of type ") +
                                             "Project Cost Account already exists" + "in branch of the ChBS";
const std::string kDuplicateCodeMessage =
    std::string("Another Charge Element has already been") + "assigned the ID requested";

bool Refuse(const std::string& message) {
    MsgBox(message, vbOKOnly + vbExclamation, kMessageTitle);
    return false;
}

// Characters, not bytes: the code is typed text.
size_t CharacterCount(const std::string& text) {
    size_t count = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++count;
    return count;
}

// The upper-case letter of a code point, for the Latin, Greek and Cyrillic letters a code may hold;
// anything else is its own.
char32_t UpperLetter(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 0x20;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F))
        return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    // Latin Extended-A: capitals on the even code points, but from U+0139 to U+0148 and from U+0179
    // to U+017E on the odd ones.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c & ~char32_t(1);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
    return c;
}

// Typed text in upper case, letter by letter; bytes that are no UTF-8 letter are kept as they are.
std::string Upper(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : 0;
        if (length == 2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
            const unsigned char next = static_cast<unsigned char>(text[i + 1]);
            const char32_t c = (char32_t(lead & 0x1F) << 6) | (next & 0x3F);
            const char32_t upper = UpperLetter(c);
            if (upper < 0x80) {
                out += static_cast<char>(upper);
            } else {
                out += static_cast<char>(0xC0 | (upper >> 6));
                out += static_cast<char>(0x80 | (upper & 0x3F));
            }
            i += 2;
        } else if (length == 1) {
            out += static_cast<char>(UpperLetter(lead));
            ++i;
        } else {
            out += text[i++];
        }
    }
    return out;
}

// Codes compare without their surrounding blanks and regardless of letter case.
bool SameCode(const std::string& a, const std::string& b) {
    return Upper(Trim(a)) == Upper(Trim(b));
}

msp::Task ActiveTask() {
    msp::Task task = MSProjectApplication ? MSProjectApplication->ActiveCell().Task() : msp::Task();
    Err().Clear();
    return task;
}

// A renamed element's children and milestones name it by its new code: the synchronisation finds a
// parent by code, and one left on the old code would lose its parent in the ERP.
void CarryParentCode(const std::string& oldCode, const std::string& newCode) {
    if (!MSProjectApplication) return;
    for (msp::Task other : MSProjectApplication->ActiveProject().Tasks())
        if (other && other.Flag3() && Trim(other.Text15()) == oldCode) other.SetText15(newCode);
    Err().Clear();
}

} // namespace

bool ValidateChargeElement(const std::string& standardChargeElement, const std::string& typeName,
                           const std::string& enteredCode, const std::string& /*description*/,
                           bool& standAlone, const std::string& mode) {
    // Blanks around the code are no part of it; the ERP refuses one inside it.
    const std::string code = Trim(enteredCode);
    if (standardChargeElement.empty() && code.empty()) return Refuse(kNoCodeMessage);
    if (CharacterCount(code) > kMaxCodeLength) return Refuse(kCodeTooLongMessage);
    if (code.find('.') != std::string::npos) return Refuse(kCodeDotMessage);
    if (code.find('_') != std::string::npos) return Refuse(kCodeUnderscoreMessage);
    if (code.find(' ') != std::string::npos) return Refuse(kCodeBlankMessage);

    msp::Task task = ActiveTask();
    msp::Task parent = task ? task.OutlineParent() : msp::Task();
    Err().Clear();
    const std::string parentType = parent ? parent.Text10() : std::string();
    const int32_t parentLevel = parent ? parent.OutlineLevel() : 0;
    Err().Clear();
    const int16_t p = GetChargeElementTypeCode(parentType);
    const int16_t c = GetChargeElementTypeCode(typeName);
    if ((p == 0 && parentLevel > 1) || c == 0) return Refuse(kInvalidTypeMessage);
    if (c < p) return Refuse(typeName + kNotAllowedAsChild + parentType + " type");
    if (p == 2 && c == 2) return Refuse(kSecondCostAccountMessage);
    if (!standAlone && p == 5 && c == 5) return Refuse(kMilestoneUnderMilestoneMessage);

    if (MSProjectApplication) MSProjectApplication->OutlineShowAllTasks();
    Err().Clear();
    if (mode == kModifyChargeElementTag && task) {
        for (const msp::Task& child : task.OutlineChildren()) {
            if (!child) continue;
            const std::string childType = child.Text10();
            const int16_t k = GetChargeElementTypeCode(childType);
            if (c == 5) return Refuse(kChildrenNoMilestoneMessage);
            if (k < c) return Refuse(childType + kNotAllowedAsChild + typeName + " type");
            if (k == 2 && c == 2) return Refuse(kChildCostAccountMessage);
        }
        Err().Clear();
    }

    const int32_t activeId = task ? task.Id() : 0;
    Err().Clear();
    if (MSProjectApplication) {
        msp::Tasks tasks = MSProjectApplication->ActiveProject().Tasks();
        for (msp::Task other : tasks) {
            if (!other) continue;
            const std::string otherCode = other.Text1();
            if (!Trim(otherCode).empty() && SameCode(otherCode, code) && other.Id() != activeId)
                return Refuse(kDuplicateCodeMessage);
        }
    }
    Err().Clear();
    return true;
}

void ModifyChargeElementTask(const std::string& mode, msp::Task& task) {
    if (!MSProjectApplication) return;
    msp::Application& app = *MSProjectApplication;
    if (mode == kNewChargeElementTag) {
        task.Delete();
        Err().Clear();
        app.SelectRow(1, false, false, false);
        Err().Clear();
        msp::Task added = app.ActiveProject().Tasks().Add(kStandAloneMilestoneName, 1);
        Err().Clear();
        // The new task stands in row 1, the active one.
        task = added ? added : ActiveTask();
    } else if (mode == kModifyChargeElementTag) {
        SelectTaskRow(task);
        app.EditCut();
        Err().Clear();
        app.SelectRow(1, false, false, false);
        Err().Clear();
        app.EditPaste();
        Err().Clear();
        task = ActiveTask();
        if (task) task.SetText10(kMilestone);
    }
    Err().Clear();
}

void InsertChargeElementTask(const std::string& description, const std::string& code,
                             const std::string& standardChargeElement, const std::string& typeName,
                             const std::string& parentCode, bool standAlone, const std::string& obsCode) {
    const bool milestoneAsSubtask = GetMilestoneAsSubtask();
    Err().Clear();
    msp::Task task = ActiveTask();
    if (!task) return;

    const std::string oldCode = Trim(task.Text1());
    const std::string newCode = Upper(Trim(code));
    Err().Clear();
    task.SetName(description);
    task.SetText1(newCode);
    task.SetText9(standardChargeElement);
    task.SetText10(typeName);
    task.SetFlag3(true);
    task.SetText15(Upper(Trim(parentCode)));
    task.SetText12(Trim(obsCode));
    Err().Clear();
    if (!oldCode.empty() && !newCode.empty() && newCode != oldCode) CarryParentCode(oldCode, newCode);

    if (task.Text10() != kMilestone) {
        task.SetMilestone(false);
    } else if (standAlone || milestoneAsSubtask) {
        task.SetDuration(Variant(0.0));
        task.SetMilestone(true);
    } else {
        // Beside its parent, linked to the parent's finish.
        const std::string parentOfTask = task.Text15();
        msp::Task parent;
        if (!parentOfTask.empty())
            for (msp::Task candidate : MSProjectApplication->ActiveProject().Tasks())
                if (candidate && candidate.Text1() == parentOfTask) {
                    parent = candidate;
                    break;
                }
        Err().Clear();
        if (parent) {
            for (int step = 0; step < kMaxOutlineSteps && task.OutlineLevel() != parent.OutlineLevel(); ++step) {
                const int32_t level = task.OutlineLevel();
                if (parent.OutlineLevel() > level)
                    task.OutlineIndent();
                else
                    task.OutlineOutdent();
                Err().Clear();
                if (task.OutlineLevel() == level) break;
            }
            task.SetStart(parent.Finish());
            task.SetDuration(Variant(0.0));
            task.SetMilestone(true);
            task.LinkPredecessors(parent, msp::pjFinishToFinish, Variant(std::string("0")));
            Err().Clear();
            if (task.Start() != parent.Start())
                task.SetStart(parent.Start());
            else
                task.SetConstraintDate(Variant(task.Start()));
        }
    }
    Err().Clear();

    if (task.Flag3() && !task.Milestone() && task.OutlineLevel() == 1) task.SetFlag1(true);
    task.SetDate9(Variant(task.Start()));
    task.SetDate10(Variant(task.Finish()));
    task.SetNumber20(task.PercentComplete());
    Err().Clear();
}

} // namespace Grantry
