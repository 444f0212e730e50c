#include "integration/core/GlobalDeclarations.h"

namespace Grantry {

std::string ApplicationPathCache;

} // namespace Grantry
