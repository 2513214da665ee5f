// Height-balanced search tree of the calculator's variable table. The
// recursion follows the search path, whose length stays below 1.45 log2(n).
#include <new>

#include "analysis/formula.h"

namespace {

using Node = AVLTree::Node;

// Single rotations with the balance update for any child balance, so that
// insertion and deletion share them.
void RotateRight(Node** link) {
    Node* n = *link;
    Node* l = n->left;
    n->left = l->right;
    l->right = n;
    *link = l;
    n->balance = n->balance + 1 - (l->balance < 0 ? l->balance : 0);
    l->balance = l->balance + 1 + (n->balance > 0 ? n->balance : 0);
}

void RotateLeft(Node** link) {
    Node* n = *link;
    Node* r = n->right;
    n->right = r->left;
    r->left = n;
    *link = r;
    n->balance = n->balance - 1 - (r->balance > 0 ? r->balance : 0);
    r->balance = r->balance - 1 + (n->balance < 0 ? n->balance : 0);
}

// Restores |balance| <= 1 at a node whose balance reached -2 or +2.
void Rebalance(Node** link) {
    Node* n = *link;
    if (n->balance < -1) {
        if (n->left->balance > 0) RotateLeft(&n->left);
        RotateRight(link);
    } else if (n->balance > 1) {
        if (n->right->balance < 0) RotateRight(&n->right);
        RotateLeft(link);
    }
}

// After the left subtree lost one level: whether this subtree lost one.
bool LeftShrank(Node** link) {
    Node* n = *link;
    ++n->balance;
    if (n->balance == 1) return false;
    if (n->balance == 0) return true;
    const int childBalance = n->right->balance;
    Rebalance(link);
    return childBalance != 0;
}

bool RightShrank(Node** link) {
    Node* n = *link;
    --n->balance;
    if (n->balance == -1) return false;
    if (n->balance == 0) return true;
    const int childBalance = n->left->balance;
    Rebalance(link);
    return childBalance != 0;
}

// Unlinks the rightmost node below *link into *out.
bool UnlinkRightmost(Node** link, Node** out) {
    Node* n = *link;
    if (n->right) {
        if (!UnlinkRightmost(&n->right, out)) return false;
        return RightShrank(link);
    }
    *out = n;
    *link = n->left;
    return true;
}

}  // namespace

int AVLTree::Insert(const void* key, Node** root) {
    int result = -1;
    InsertBelow(key, root, &result);
    return result;
}

bool AVLTree::InsertBelow(const void* key, Node** link, int* result) {
    Node* n = *link;
    if (!n) {
        Node* fresh = new (std::nothrow) Node;
        if (!fresh) {
            *result = -1;
            return false;
        }
        fresh->key = key;
        fresh->value = newValue;
        *link = fresh;
        *result = 1;
        return true;
    }
    const int c = Compare(n->key, key);
    if (c == 0) {
        foundValueSlot = &n->value;
        *result = 0;
        return false;
    }
    if (c > 0) {
        if (!InsertBelow(key, &n->left, result)) return false;
        if (--n->balance == 0) return false;
        if (n->balance == -1) return true;
    } else {
        if (!InsertBelow(key, &n->right, result)) return false;
        if (++n->balance == 0) return false;
        if (n->balance == 1) return true;
    }
    Rebalance(link);  // after an insertion a rotation restores the height
    return false;
}

int AVLTree::Remove(const void* key, Node** root, bool deleteValue) {
    int result = 0;
    RemoveBelow(key, root, deleteValue, &result);
    return result;
}

bool AVLTree::RemoveBelow(const void* key, Node** link, bool deleteValue, int* result) {
    Node* n = *link;
    if (!n) return false;
    const int c = Compare(n->key, key);
    if (c > 0) return RemoveBelow(key, &n->left, deleteValue, result) && LeftShrank(link);
    if (c < 0) return RemoveBelow(key, &n->right, deleteValue, result) && RightShrank(link);
    *result = 1;
    if (deleteValue) DeleteValue(n->value);
    if (!n->left || !n->right) {
        *link = n->left ? n->left : n->right;
        delete n;
        return true;
    }
    // Two children: the in-order predecessor moves into this node.
    Node* predecessor = nullptr;
    const bool shrank = UnlinkRightmost(&n->left, &predecessor);
    n->key = predecessor->key;
    n->value = predecessor->value;
    delete predecessor;
    return shrank && LeftShrank(link);
}

void* AVLTree::Find(const void* key, Node* root) const {
    while (root) {
        const int c = Compare(root->key, key);
        if (c == 0) return root->value;
        root = c > 0 ? root->left : root->right;
    }
    return nullptr;
}

void AVLTree::DestroyAll(Node** root, bool deleteValues) {
    Node* n = *root;
    if (!n) return;
    DestroyAll(&n->left, deleteValues);
    DestroyAll(&n->right, deleteValues);
    if (deleteValues) DeleteValue(n->value);
    delete n;
    *root = nullptr;
}
