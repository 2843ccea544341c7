#pragma once

#include <string>

#include "ui/ip_dialog.h"

namespace vexav6::ui {

// The confirmation before entries are removed: a question and "Permanently Remove ..."
// (chkPersistent). It starts with the texts for IPv4 addresses; the panels set others for the other
// lists.
class frmRemove : public IPDialog {
  public:
    frmRemove();

    void SetTexts(std::string caption, const std::string& question, std::string checkBox);

    // Read by the panel after the dialog was confirmed.
    bool Persistent() const { return persistent_; }

  protected:
    void CopyInputs() override;

  private:
    bool persistent_ = false;
};

}  // namespace vexav6::ui
