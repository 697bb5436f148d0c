#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Why a node of a B-tree's leaf chain cannot be read. A damaged node never
// makes the reader leave the tree's bytes: the walk stops with one of these
// instead, and BTree::leafNodeRecords() turns every one of them into an empty
// result. (A chain that leaves the tree or comes back on itself is no error:
// it ends there.)
class BTreeError : public EnumeratedError {
public:
    enum class Case {
        nodeTooSmall,       // the node size cannot hold the descriptor and offset table
        recordOutsideNode,  // a record offset points past the end of its node
        keyOutsideRecord,   // a key length runs past the end of its record
    };

    explicit BTreeError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
};

}  // namespace zorv
