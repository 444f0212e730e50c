#pragma once
// Test helpers of the budget-line dialogs (header only): a user who notes what a dialog showed each
// time it waited, and a plan fixture with the views, charge-element tasks, budget-line tasks and
// cost-object resources the dialogs read.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "integration/budget/BudgetTestSupport.h"
#include "integration/core/BudgetLineDetailsCommand.h"
#include "integration/core/CommandFrame.h"
#include "platform/forms/Form.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/os/TestSupport.h"

namespace Grantry::test {

// What a dialog showed when it waited for the user: per control its text, whether it could be used,
// a combo's entries and an option button's state.
struct Sight {
    std::map<std::string, std::string> text;
    std::map<std::string, bool> enabled;
    std::map<std::string, std::vector<std::string>> list;
    std::map<std::string, bool> option;
};

// A scripted user who looks at every form of type F before each step.
template <class F> class WatchingUser : public platform::forms::ScriptedUser {
public:
    using platform::forms::ScriptedUser::ScriptedUser;
    std::vector<Sight> sights;
    platform::forms::UserAction NextAction(platform::forms::Form& form) override {
        if (auto* dialog = dynamic_cast<F*>(&form)) sights.push_back(Look(*dialog));
        return platform::forms::ScriptedUser::NextAction(form);
    }
    static Sight Look(const platform::forms::Form& form) {
        namespace pf = platform::forms;
        Sight s;
        for (pf::Control* c : form.Controls()) {
            s.enabled[c->Name()] = c->EffectiveEnabled();
            if (auto* t = dynamic_cast<pf::TextBox*>(c)) s.text[c->Name()] = t->Text();
            if (auto* o = dynamic_cast<pf::OptionButton*>(c)) s.option[c->Name()] = o->Value();
            if (auto* b = dynamic_cast<pf::ComboBox*>(c)) {
                s.text[c->Name()] = b->Text();
                std::vector<std::string>& entries = s.list[c->Name()];
                for (int i = 0; i < b->ListCount(); ++i) entries.push_back(b->List(i));
            }
        }
        return s;
    }
};

class BudgetDialogFixture : public BudgetFixture {
protected:
    void SetUp() override {
        BudgetFixture::SetUp();
        app->ViewEditSingle(kKovaGanttView, true, true, "Entry");
        app->ViewEditSingle(kKovaBudgetView, true, true, "Entry");
        app->ViewEditSingle("Kova Proj Resources", true, false, "Entry");
        app->ViewApply(kKovaGanttView, true);
    }
    void TearDown() override {
        platform::forms::DiscardAllForms();
        ShowBudgetLineDialog = nullptr;
        ShowBudgetLineBrowser = nullptr;
        BudgetFixture::TearDown();
    }

    msp::Task Charge(const std::string& name, int level, const std::string& code, const std::string& type) {
        msp::Task t = AddTask(name, level, code);
        t.SetText10(type);
        return t;
    }
    msp::Task Line(const std::string& name, int level, const std::string& costType, const std::string& code,
                   const std::string& link) {
        msp::Task t = AddTask(name, level);
        t.SetText2(costType);
        t.SetText3(code);
        t.SetText8(link);
        return t;
    }
    msp::Resource Resource(const std::string& name, const std::string& code, const std::string& description,
                           const std::string& unit) {
        msp::Resource r = AddResource(name, code);
        r.SetText3(description);
        r.SetText1(unit);
        return r;
    }
    void SetProperty(const char* name, const platform::automation::Variant& value) {
        Plan().CustomDocumentProperties().Item(name).SetValue(value);
    }
    // "title: prompt" of every box the user answered.
    static std::vector<std::string> Boxes(const platform::forms::ScriptedUser& user) {
        std::vector<std::string> out;
        for (const auto& box : user.transcript().Boxes()) out.push_back(box.box.title + ": " + box.box.prompt);
        return out;
    }
    // "name|Text2|Text3|Text4|Text6|Text7|Text8|Text20|level|resources" of a task.
    static std::string Fields(const msp::Task& t) {
        std::string resources;
        for (msp::Assignment a : t.Assignments()) resources += (resources.empty() ? "" : ",") + a.ResourceName();
        return t.Name() + "|" + t.Text2() + "|" + t.Text3() + "|" + t.Text4() + "|" + t.Text6() + "|" + t.Text7() +
               "|" + t.Text8() + "|" + t.Text20() + "|" + std::to_string(t.OutlineLevel()) + "|" + resources;
    }

    platform::os::TempKovaHome home;
};

} // namespace Grantry::test
