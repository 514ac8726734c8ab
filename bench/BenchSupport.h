// Helpers for rendering whole graphs in benchmarks.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <string>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"

// Builds a graph of side×side whose Store is fed by `build`'s result, and
// renders it once per iteration, reporting pixels per second.
void RenderGraphBenchmark(benchmark::State& state,
                          const std::function<Node*(NodeGraph&, const NodeRegistry&)>& build);

// Adds a node of the given type and returns it.
Node* AddNodeOfType(NodeGraph& graph, const NodeRegistry& registry, uint8_t typeId);

// Loads the texture file into `graph` at side x side; false, with the
// benchmark skipped, when it cannot.
bool LoadExample(benchmark::State& state, const std::string& path, int side, NodeGraph& graph);

// Connects `from`'s output to input pin `pin` of `to`.
void Feed(NodeGraph& graph, Node* from, Node* to, int pin = 0);

// Every node benchmark runs at these sides, on one thread and on every core
// (threads 0), and at 4096 on one thread, where the image no longer fits the
// cache as the peers' figures are taken. Arguments: side, threads.
#define SWATCHER_SIDES                  \
    ArgsProduct({{1024, 2048}, {1, 0}}) \
        ->Args({4096, 1})               \
        ->ArgNames({"side", "threads"}) \
        ->Unit(benchmark::kMillisecond) \
        ->UseRealTime()

// Registers fn once per SIMD level the machine runs (each from the x86-64
// baseline up to the detected level, or the plain level elsewhere), as
// "name/level" with SWATCHER_SIDES, each run under that level.
bool RegisterNodeBenchmark(const std::string& name, void (*fn)(benchmark::State&));

#define SWATCHER_CONCAT_(a, b) a##b
#define SWATCHER_CONCAT(a, b) SWATCHER_CONCAT_(a, b)
#define SWATCHER_NODE_BENCHMARK(...)                                            \
    static const bool SWATCHER_CONCAT(kRegistered, __LINE__) [[maybe_unused]] = \
        RegisterNodeBenchmark(#__VA_ARGS__, __VA_ARGS__)
