// What the list remembers per registered folder: its view style and its selected rows, as a
// port so that the browser need not know how they are stored.
#pragma once
#include <string>
#include <vector>

namespace velmora {

class RememberedViews {
 public:
  virtual ~RememberedViews() = default;
  // The view style remembered for a binder's folder; 0 when none is.
  virtual int ViewStyleOf(const std::string& binder, const std::string& folder) = 0;
  virtual void RememberViewStyle(const std::string& binder, const std::string& folder, int style) = 0;
  // The keys of the rows selected when the folder's node was last left; empty when none.
  virtual std::vector<std::string> SelectionOf(const std::string& section) = 0;
  // Replaces what was remembered under section.
  virtual void RememberSelection(const std::string& section, const std::vector<std::string>& keys) = 0;
};

}  // namespace velmora
