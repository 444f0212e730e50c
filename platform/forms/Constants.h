#pragma once
// The named constants of the form runtime, with their usual values, so that dialog code reads as the
// original: message-box buttons, icons and answers, show modes, unload modes, check-box values, key
// codes and tree-node relationships.
#include <cstdint>

namespace platform::forms {

// Message-box buttons (the low three bits of the flags).
inline constexpr int32_t vbOKOnly = 0;
inline constexpr int32_t vbOKCancel = 1;
inline constexpr int32_t vbAbortRetryIgnore = 2;
inline constexpr int32_t vbYesNoCancel = 3;
inline constexpr int32_t vbYesNo = 4;
inline constexpr int32_t vbRetryCancel = 5;

// Message-box icons.
inline constexpr int32_t vbCritical = 16;
inline constexpr int32_t vbQuestion = 32;
inline constexpr int32_t vbExclamation = 48;
inline constexpr int32_t vbInformation = 64;

// Default button and window flags.
inline constexpr int32_t vbDefaultButton1 = 0;
inline constexpr int32_t vbDefaultButton2 = 256;
inline constexpr int32_t vbDefaultButton3 = 512;
inline constexpr int32_t vbApplicationModal = 0;
inline constexpr int32_t vbSystemModal = 4096;
inline constexpr int32_t vbMsgBoxSetForeground = 65536;

// Message-box answers.
inline constexpr int32_t vbOK = 1;
inline constexpr int32_t vbCancel = 2;
inline constexpr int32_t vbAbort = 3;
inline constexpr int32_t vbRetry = 4;
inline constexpr int32_t vbIgnore = 5;
inline constexpr int32_t vbYes = 6;
inline constexpr int32_t vbNo = 7;

// Form.Show modes.
inline constexpr int16_t vbModeless = 0;
inline constexpr int16_t vbModal = 1;

// QueryUnload modes: the window's close box, or code.
inline constexpr int16_t vbFormControlMenu = 0;
inline constexpr int16_t vbFormCode = 1;

// Check-box values.
inline constexpr int16_t vbUnchecked = 0;
inline constexpr int16_t vbChecked = 1;
inline constexpr int16_t vbGrayed = 2;

// Key codes and key characters used by the dialogs.
inline constexpr int16_t vbKeyBack = 8;
inline constexpr int16_t vbKeyTab = 9;
inline constexpr int16_t vbKeyReturn = 13;
inline constexpr int16_t vbKeyEscape = 27;
inline constexpr int16_t vbKeySpace = 32;

// Mouse buttons.
inline constexpr int16_t vbLeftButton = 1;

// Tree-node relationships.
inline constexpr int16_t tvwFirst = 0;
inline constexpr int16_t tvwLast = 1;
inline constexpr int16_t tvwNext = 2;
inline constexpr int16_t tvwPrevious = 3;
inline constexpr int16_t tvwChild = 4;

// Status-bar styles.
inline constexpr int16_t sbrNormal = 0;
inline constexpr int16_t sbrSimple = 1;

// List-box selection modes.
inline constexpr int16_t vbMultiSelectNone = 0;
inline constexpr int16_t vbMultiSelectSimple = 1;
inline constexpr int16_t vbMultiSelectExtended = 2;

// Runtime error numbers raised by the form layer into Err().
namespace errors {
inline constexpr int32_t InvalidProcedureCall = 5;   // SetFocus on a control that cannot take it
inline constexpr int32_t InvalidPropertyValue = 380; // ListIndex, Value out of range
inline constexpr int32_t InvalidPropertyIndex = 381; // List(i) out of range
inline constexpr int32_t TextReadOnly = 383;         // Text of a drop-down list that is no entry
inline constexpr int32_t FormAlreadyShown = 400;     // Show modal on a visible form
inline constexpr int32_t IndexOutOfBounds = 35600;   // Tabs(i), Panels(i), Nodes(i)
inline constexpr int32_t ElementNotFound = 35601;    // a node key or relative that does not exist
inline constexpr int32_t KeyNotUnique = 35602;       // a node key that exists already
inline constexpr int32_t NoUser = 31001;             // a box or modal form with no user driver installed
} // namespace errors

} // namespace platform::forms
