#include "engine/NodeRegistry.h"

#include "engine/RenderListener.h"
#include "nodes/filters/Blur.h"
#include "nodes/filters/BrightnessContrast.h"
#include "nodes/filters/Bump.h"
#include "nodes/filters/DisplacementMap.h"
#include "nodes/filters/Emboss.h"
#include "nodes/filters/EnvMap.h"
#include "nodes/filters/FromHSV.h"
#include "nodes/filters/HSV.h"
#include "nodes/filters/Mixer.h"
#include "nodes/filters/SineFilter.h"
#include "nodes/filters/ToHSV.h"
#include "nodes/generators/ND_Perlin.h"
#include "nodes/generators/ND_TEXT.h"
#include "nodes/generators/RawNoise.h"
#include "nodes/generators/SinePlasma.h"
#include "nodes/generators/SubPlasma.h"

namespace {

template <class T>
std::unique_ptr<Node> Make() {
    return std::make_unique<T>(1, 1);
}

}  // namespace

NodeRegistry::NodeRegistry() {
    SetRenderListener(nullptr);
    // Ascending type id: this is the order of the "Available nodes" list.
    auto Add = [this](std::unique_ptr<Node> prototype) {
        prototypes_.push_back(std::move(prototype));
    };
    Add(Make<RawNoise>());
    Add(Make<Mixer>());
    Add(Make<Blur>());
    Add(Make<BrightnessContrast>());
    Add(Make<Emboss>());
    Add(Make<SinePlasma>());
    Add(Make<HSV>());
    Add(Make<SubPlasma>());
    Add(Make<SineFilter>());
    Add(Make<DisplacementMap>());
    Add(Make<ND_TEXT>());
    Add(Make<EnvMap>());
    Add(Make<ND_Perlin>());
    Add(Make<ToHSV>());
    Add(Make<FromHSV>());
    Add(Make<Bump>());
}

std::unique_ptr<Node> NodeRegistry::CreateNode(uint8_t typeId) const {
    if (typeId == StoreNode::kTypeId) return std::make_unique<StoreNode>(1, 1);
    for (const auto& prototype : prototypes_)
        if (prototype->typeId == typeId) return prototype->Clone();
    return nullptr;
}
