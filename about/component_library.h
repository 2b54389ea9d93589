// The unit's start-up and finishing actions: the system's component object library for the
// user-interface thread. Only Windows has one; elsewhere there is nothing to do.
#pragma once

namespace about {

void ComponentLibraryStartup();
void ComponentLibraryFinish();

}  // namespace about
