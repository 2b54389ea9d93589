#include "component_library.h"

#ifdef _WIN32
#include <objbase.h>
#endif

namespace about {

void ComponentLibraryStartup() {
#ifdef _WIN32
  // The result is not examined: a library already initialised serves as well.
  static_cast<void>(CoInitialize(nullptr));
#endif
}

void ComponentLibraryFinish() {
#ifdef _WIN32
  CoUninitialize();
#endif
}

}  // namespace about
