#pragma once
// The node chooser: the ERP charge structure of the chosen project and plan as a tree, from which the
// user picks the charge element the plan's structure will hang under. Milestones and elements that
// cannot take a connection are refused; a confirmed code goes to whoever opened the chooser.
#include <functional>
#include <string>

#include "platform/forms/Form.h"

namespace Grantry {

class frmChargeElement : public platform::forms::Form {
public:
    frmChargeElement();

    // Receives the confirmed code; the connect dialog points it at its node box before showing.
    std::function<void(const std::string& code)> ConnectionNodeChosen;

    // Takes the selected node: asks for confirmation when it can take a connection, refuses it
    // otherwise.
    void SetConnectionNode();

    platform::forms::TreeView treChargeElements{*this, "treChargeElements"};
    platform::forms::ImageList imgCE{*this, "imgCE"};
    platform::forms::CommandButton cmdOK{*this, "cmdOK"};
    platform::forms::CommandButton cmdCancel{*this, "cmdCancel"};

private:
    void cmdOK_Click();
    void cmdCancel_Click();
};

// One node for a charge element: keyed "E.<code>.", shown as "<code>.:<description>". A stand-alone
// element goes after the last top node, an element without parent becomes a top node, any other
// becomes the last child of its parent's node. Nothing is added (and nullptr returned, with a clean
// error state) when the parent's node is missing.
platform::forms::Node* AddChargeElementNode(const std::string& code, const std::string& description,
                                            bool standAlone, const std::string& parent,
                                            platform::forms::TreeView& tree);

// Fills an empty tree with the whole ERP structure of the command's project and plan; the tag of each
// node holds the connectable mark ("1"/"0") and the type digit, its image the type. A failed read is
// logged and leaves the tree empty.
void FillChargeElementTree(platform::forms::TreeView& tree);

} // namespace Grantry
