#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Why a B-tree's leaf chain cannot be read. A damaged tree never makes the
// reader leave the tree's bytes: the walk stops with one of these instead,
// and BTree::leafNodeRecords() turns every one of them into an empty result.
class BTreeError : public EnumeratedError {
public:
    enum class Case {
        nodeOutsideTree,    // a node of the chain is not wholly inside the tree's bytes
        nodeTooSmall,       // the node size cannot hold the descriptor and offset table
        recordOutsideNode,  // a record offset points past the end of its node
        keyOutsideRecord,   // a key length runs past the end of its record
        leafChainLoop,      // the leaf chain comes back to a node already read
    };

    explicit BTreeError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
};

}  // namespace zorv
