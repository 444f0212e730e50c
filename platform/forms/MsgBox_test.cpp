#include "platform/forms/MsgBox.h"

#include <gtest/gtest.h>

#include "platform/forms/TestForms.h"

namespace platform::forms {
namespace {

using platform::automation::Err;
using test::FormsTest;
using ::testing::ElementsAre;
namespace st = steps;

// The values are those the dialog code and the answer checks of the system are written against.
static_assert(vbOKOnly == 0 && vbOKCancel == 1 && vbYesNo == 4);
static_assert(vbCritical == 16 && vbQuestion == 32 && vbExclamation == 48 && vbInformation == 64);
static_assert(vbDefaultButton2 == 256 && vbMsgBoxSetForeground == 65536);
static_assert(vbOK == 1 && vbCancel == 2 && vbYes == 6 && vbNo == 7);

class MsgBoxTest : public FormsTest {};

TEST_F(MsgBoxTest, FlagsGiveButtonsIconDefaultAndForeground) {
    struct Case {
        int32_t flags;
        std::vector<int32_t> answers;
        int32_t defaultAnswer;
        int32_t backOut;
        const char* line;
    };
    const Case cases[] = {
        {vbOKOnly, {vbOK}, vbOK, vbOK, "box \"T1\" OKOnly: \"text\""},
        {vbOKOnly + vbCritical, {vbOK}, vbOK, vbOK, "box \"T1\" OKOnly Critical: \"text\""},
        {vbOKCancel + vbInformation + vbMsgBoxSetForeground,
         {vbOK, vbCancel},
         vbOK,
         vbCancel,
         "box \"T1\" OKCancel Information foreground: \"text\""},
        {vbYesNo + vbQuestion + vbDefaultButton2 + vbMsgBoxSetForeground,
         {vbYes, vbNo},
         vbNo,
         vbNo,
         "box \"T1\" YesNo Question default2 foreground: \"text\""},
        {vbOKCancel + vbExclamation,
         {vbOK, vbCancel},
         vbOK,
         vbCancel,
         "box \"T1\" OKCancel Exclamation: \"text\""},
        {vbYesNoCancel + vbDefaultButton3,
         {vbYes, vbNo, vbCancel},
         vbCancel,
         vbCancel,
         "box \"T1\" YesNoCancel default3: \"text\""},
        {vbAbortRetryIgnore,
         {vbAbort, vbRetry, vbIgnore},
         vbAbort,
         vbIgnore,
         "box \"T1\" AbortRetryIgnore: \"text\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        MsgBoxSpec box{"text", "T1", c.flags};
        EXPECT_EQ(box.Answers(), c.answers);
        EXPECT_EQ(box.DefaultAnswer(), c.defaultAnswer);
        EXPECT_EQ(box.BackOutAnswer(), c.backOut);
        // Every button can be the answer, and the box is recorded as shown.
        for (int32_t answer : c.answers) {
            ScriptedUser user({st::Answer(answer, "text")});
            Strict(user);
            ScopedUser on(user);
            EXPECT_EQ(MsgBox("text", c.flags, "T1"), answer);
            EXPECT_TRUE(user.Finish());
            EXPECT_THAT(user.transcript().Lines(), ElementsAre(c.line, "-> " + AnswerName(answer)));
            ASSERT_EQ(user.transcript().Boxes().size(), 1u);
            EXPECT_EQ(user.transcript().Boxes()[0].box.flags, c.flags);
            EXPECT_EQ(user.transcript().Boxes()[0].answer, answer);
        }
    }
}

TEST_F(MsgBoxTest, ABoxWithoutTitleShowsTheProgramTitle) {
    ScriptedUser user({st::Answer(vbOK), st::Answer(vbOK), st::Answer(vbOK)});
    Strict(user);
    ScopedUser on(user);
    EXPECT_EQ(SetProgramTitle("KovaProject - MsProject Integration"), "");
    MsgBox("Nothing is synchronized now");
    MsgBox("Error While retrieving Project List ", vbCritical, "Kova Project - MsProject Integration");
    EXPECT_EQ(SetProgramTitle("Tolvane"), "KovaProject - MsProject Integration");
    MsgBox("Unable to add a reference", vbExclamation, "");
    EXPECT_TRUE(user.Finish());
    const auto& boxes = user.transcript().Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].box.title, "KovaProject - MsProject Integration");
    EXPECT_EQ(boxes[1].box.title, "Kova Project - MsProject Integration");
    EXPECT_EQ(boxes[2].box.title, "Tolvane");
}

TEST_F(MsgBoxTest, InvalidFlagsAndAMissingUserAreErrors) {
    ScriptedUser user;
    Strict(user);
    {
        ScopedUser on(user);
        for (int32_t flags : {6, vbCritical + vbInformation}) {
            Err().Clear();
            EXPECT_EQ(MsgBox("x", flags), 0);
            EXPECT_EQ(Err().Number, errors::InvalidProcedureCall);
        }
        EXPECT_TRUE(user.transcript().Lines().empty());
    }
    EXPECT_EQ(CurrentUser(), nullptr);
    Err().Clear();
    EXPECT_EQ(MsgBox("Proceed?", vbYesNo), 0);
    EXPECT_EQ(Err().Number, errors::NoUser);
    Err().Clear();
    EXPECT_EQ(AskText(SaveAsPrompt), std::nullopt);
    EXPECT_EQ(Err().Number, errors::NoUser);
}

TEST_F(MsgBoxTest, TextPromptsAreAnsweredOrCancelled) {
    ScriptedUser user(
        {st::SaveAs("/plans/Plan 1.mpp"), st::CancelSaveAs(), st::Reply("jdoe"), st::CancelReply()});
    Strict(user);
    ScopedUser on(user);
    EXPECT_EQ(AskText(SaveAsPrompt), "/plans/Plan 1.mpp");
    EXPECT_EQ(AskText(SaveAsPrompt), std::nullopt);
    EXPECT_EQ(AskText("User name", "Login"), "jdoe");
    EXPECT_EQ(AskText("Domain"), std::nullopt);
    EXPECT_TRUE(user.Finish());
    EXPECT_THAT(user.transcript().Lines(),
                ElementsAre("ask \"Save As\" -> \"/plans/Plan 1.mpp\"", "ask \"Save As\" -> cancel",
                            "ask \"User name\" \"Login\" -> \"jdoe\"", "ask \"Domain\" -> cancel"));
}

TEST_F(MsgBoxTest, NestedScopedUsersRestoreThePreviousOne) {
    ScriptedUser outer({st::Answer(vbOK)}), inner({st::Answer(vbCancel)});
    Strict(outer);
    Strict(inner);
    ScopedUser first(outer);
    {
        ScopedUser second(inner);
        EXPECT_EQ(MsgBox("a", vbOKCancel), vbCancel);
    }
    EXPECT_EQ(MsgBox("b", vbOKCancel), vbOK);
    EXPECT_EQ(CurrentUser(), &outer);
    EXPECT_TRUE(inner.Finish());
    EXPECT_TRUE(outer.Finish());
}

} // namespace
} // namespace platform::forms
