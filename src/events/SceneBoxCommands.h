#pragma once

namespace sorn {

// Scene box buttons acting on the selected node.
void duplicateSelectedNode();
void deleteSelectedNode();

} // namespace sorn
