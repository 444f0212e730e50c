#pragma once
// What the About dialog's update check shares beyond the dialog: the account typed for the support
// server, the server's address, the update file's names and the rule that compares versions.
#include <string>

namespace Grantry {

// The account of the last confirmed account dialog. Process memory only: never written to a file, a
// log or the registry. Each OK in the dialog overwrites them; Cancel leaves them alone.
extern std::string LoginUserName;
extern std::string LoginPassword;
extern std::string LoginDomain;
extern bool LoginConfirmed; // True when the user left the account dialog with OK

// Overwrites the password in memory and empties it; called once a download has used it.
void ForgetLoginPassword();

// The support server's address, "host" or "host:port": the value "UpdateServer" under
// HKEY_CURRENT_USER kUpdateServerKey, or kDefaultUpdateServer when it is missing or blank.
inline constexpr char kUpdateServerKey[] = "SOFTWARE\\Kova\\Grantry";
inline constexpr char kUpdateServerValue[] = "UpdateServer";
inline constexpr char kDefaultUpdateServer[] = "updates.kova.invalid";
std::string UpdateServerAddress();

// The update information file: its place on the server, its name in the application folder, and the
// section holding "Version" and "Solution".
inline constexpr char kUpdateFileRemotePath[] = "/updates/K50_c/KovaMsP.ini";
inline constexpr char kUpdateFileName[] = "KovaMsP.ini";
inline constexpr char kUpdateSection[] = "KovaMsPMeridane";

// How the latest version on the server relates to the version running here.
enum class UpdateVerdict {
    Available, // same release line, newer revision
    Current,   // same release line, no newer revision
    Mismatch,  // another release line, or a text that is no version ("Version error")
};

// Versions are "major.minor.build.revision" in decimal. The first three numbers name the release
// line the server's file belongs to; only a higher revision of the same line is an update.
UpdateVerdict CompareWithLatestVersion(const std::string& latest, const std::string& current);

} // namespace Grantry
