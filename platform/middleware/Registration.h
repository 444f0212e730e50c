#pragma once
// Puts the middleware stand-in's classes into the class registry, and the date objects' moniker.
// Safe to call again (tests call it after unregistering ProgIDs).
namespace platform::middleware {

void RegisterMiddleware();

} // namespace platform::middleware
