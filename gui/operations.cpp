#include "gui/operations.h"

#include "gui/main_window.h"

namespace stravener::gui {

Operations DefaultOperations() {
  Operations operations;
  return operations;
}

SetupServices DefaultSetupServices() {
  SetupServices services;
  return services;
}

}  // namespace stravener::gui
