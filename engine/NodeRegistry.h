// Every node type the user can add, one prototype each in type-id order (the
// order of the "Available nodes" list), and node creation by type id.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/Node.h"

class NodeRegistry {
public:
    // Builds the prototypes (1 x 1 images) and installs a null render listener.
    NodeRegistry();

    // A Store node for type 1, a clone of the matching prototype otherwise,
    // or null for an unknown type id.
    std::unique_ptr<Node> CreateNode(uint8_t typeId) const;

    const std::vector<std::unique_ptr<Node>>& prototypes() const { return prototypes_; }

private:
    std::vector<std::unique_ptr<Node>> prototypes_;
};
