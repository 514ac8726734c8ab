// Node types that exist only in tests: exact content and update counting.
#pragma once

#include <cstdint>
#include <cstring>

#include "engine/Node.h"

// A generator that fills its image with one level and counts its updates.
class FillNode : public Node {
public:
    FillNode(int width, int height) : Node("Fill", 200, width, height) {
        static constexpr ParamDef kParams[] = {param::Int("Level", 0, 255, 7)};
        AddParams(kParams);
    }
    std::unique_ptr<Node> Clone() const override { return CloneAs<FillNode>(); }
    void Compute() override {
        ++updates;
        std::memset(image->pixels, value(0), image->byteCount());
    }
    int updates = 0;
};

// A filter that writes input A + input B + 1 into every byte (low 8 bits)
// and records the order in which filters ran.
class SumNode : public Node {
public:
    SumNode(int width, int height) : Node("Sum", 201, width, height) {
        AddInput("Source A");
        AddInput("Source B");
    }
    std::unique_ptr<Node> Clone() const override { return CloneAs<SumNode>(); }
    void Compute() override {
        ++updates;
        if (order) order->push_back(this);
        const uint8_t* a = inputImages[0]->bytes();
        const uint8_t* b = inputImages[1]->bytes();
        std::vector<uint8_t> out(image->byteCount());
        for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<uint8_t>(a[i] + b[i] + 1);
        std::memcpy(image->bytes(), out.data(), out.size());
    }
    int updates = 0;
    std::vector<Node*>* order = nullptr;
};
