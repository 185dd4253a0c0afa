// The expression-tree node pool of the model record: nodes are made one at a time, handed
// out along the in-use chain, and all taken back at once after each row.
#include <vector>

#include "instance/gcdata.h"

namespace gcdata {

ctvnl::nltreerec* getnlrec() {
  tmodel& m = mymodel;
  ctvnl::nltreerec* node = m.nodefree;
  if (node != nullptr) {
    m.nodefree = node->next;
  } else {
    node = new ctvnl::nltreerec{};  // kept for the whole run, reached through the pool
  }
  node->next = nullptr;
  node->up = nullptr;
  node->left = nullptr;
  node->right = nullptr;
  node->opcode = ctvnl::opcode::noop;
  node->operand = 0;
  node->paren = 0;
  node->done = 0;
  if (m.nodelast == nullptr) {
    node->number = 1;
    m.nodefirst = node;
  } else {
    node->number = m.nodelast->number + 1;
    m.nodelast->next = node;
  }
  m.nodelast = node;
  return node;
}

void frenlrec() {
  tmodel& m = mymodel;
  if (m.nodefirst == nullptr) return;
  m.nodelast->next = m.nodefree;
  m.nodefree = m.nodefirst;
  m.nodefirst = nullptr;
  m.nodelast = nullptr;
}

void ininlrec() {
  mymodel.nodefree = nullptr;
  mymodel.nodefirst = nullptr;
  mymodel.nodelast = nullptr;
}

void dropnlrec(ctvnl::nltreerec* node) {
  node->opcode = ctvnl::opcode::noop;
  node->operand = 0;
  node->left = nullptr;
  node->right = nullptr;
}

// Both children go: a right subtree left in the chain would still be visited by the
// folding passes. Without recursion, so that a deep tree cannot exhaust the stack.
void dropsubtree(ctvnl::nltreerec* node) {
  if (node == nullptr) return;
  std::vector<ctvnl::nltreerec*> todo{node};
  while (!todo.empty()) {
    ctvnl::nltreerec* n = todo.back();
    todo.pop_back();
    if (n->left != nullptr) todo.push_back(n->left);
    if (n->right != nullptr) todo.push_back(n->right);
    dropnlrec(n);
  }
}

}  // namespace gcdata
