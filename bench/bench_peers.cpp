// Reference figures from well-known libraries for the work some nodes do, on
// the same machine and image sizes as the node benchmarks, on one thread: a box
// blur, RGB <-> HSV on bytes (each way and both), Perlin fBm, and a plain copy
// of the image as the memory floor. Built only where those libraries are installed.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <random>
#include <thread>
#include <vector>

#define STB_PERLIN_IMPLEMENTATION
#include <stb_perlin.h>

namespace {

void CountPixels(benchmark::State& state, int side) {
    state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(side) * side,
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

cv::Mat RandomImage(int side, int type) {
    cv::Mat image(side, side, type);
    std::mt19937 rng(1);
    for (size_t i = 0; i < image.total() * image.elemSize(); ++i)
        image.data[i] = static_cast<uint8_t>(rng());
    return image;
}

// Four bytes a pixel, as the nodes hold them; the window is 2 r + 1 square.
void BM_PeerBoxBlur(benchmark::State& state) {
    cv::setNumThreads(0);
    const int side = static_cast<int>(state.range(0));
    const int r = static_cast<int>(state.range(1));
    const cv::Mat src = RandomImage(side, CV_8UC4);
    cv::Mat dst;
    for (auto _ : state) {
        cv::blur(src, dst, cv::Size(2 * r + 1, 2 * r + 1));
        benchmark::DoNotOptimize(dst.data);
    }
    CountPixels(state, side);
}

// Hue over the full byte range, as the HSV nodes store it; three bytes a pixel.
void BM_PeerHSV(benchmark::State& state, cv::ColorConversionCodes code) {
    cv::setNumThreads(0);
    const int side = static_cast<int>(state.range(0));
    const cv::Mat src = RandomImage(side, CV_8UC3);
    cv::Mat dst;
    for (auto _ : state) {
        cv::cvtColor(src, dst, code);
        benchmark::DoNotOptimize(dst.data);
    }
    CountPixels(state, side);
}

void BM_PeerRGBToHSV(benchmark::State& state) {
    BM_PeerHSV(state, cv::COLOR_RGB2HSV_FULL);
}
void BM_PeerHSVToRGB(benchmark::State& state) {
    BM_PeerHSV(state, cv::COLOR_HSV2RGB_FULL);
}

// Both conversions back to back, as Adjust HSV and the Mixer's Hue and Satur.
// modes do them.
void BM_PeerHSVRoundTrip(benchmark::State& state) {
    cv::setNumThreads(0);
    const int side = static_cast<int>(state.range(0));
    const cv::Mat src = RandomImage(side, CV_8UC3);
    cv::Mat hsv, dst;
    for (auto _ : state) {
        cv::cvtColor(src, hsv, cv::COLOR_RGB2HSV_FULL);
        cv::cvtColor(hsv, dst, cv::COLOR_HSV2RGB_FULL);
        benchmark::DoNotOptimize(dst.data);
    }
    CountPixels(state, side);
}

// One byte a pixel from four octaves, as a grey Perlin texture would take.
void BM_PeerPerlinFbm(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    std::vector<uint8_t> out(static_cast<size_t>(side) * side);
    const float scale = 16.0f / static_cast<float>(side);
    for (auto _ : state) {
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const float n =
                    stb_perlin_fbm_noise3(static_cast<float>(x) * scale,
                                          static_cast<float>(y) * scale, 0.0f, 2.0f, 0.5f, 4);
                out[static_cast<size_t>(y) * side + x] = static_cast<uint8_t>((n + 1) * 127.5f);
            }
        benchmark::DoNotOptimize(out.data());
    }
    CountPixels(state, side);
}

// Copying the four-byte image once: what any node pays at least.
void BM_PeerMemcpy(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const std::vector<uint8_t> src(4 * static_cast<size_t>(side) * side, 7);
    std::vector<uint8_t> dst(src.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::DoNotOptimize(dst.data());
    }
    CountPixels(state, side);
}

// The same copy split between two threads, each its half: the most two cores
// gain on work that runs at memory speed.
void BM_PeerMemcpyTwoThreads(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const std::vector<uint8_t> src(4 * static_cast<size_t>(side) * side, 7);
    std::vector<uint8_t> dst(src.size());
    const size_t half = src.size() / 2;
    for (auto _ : state) {
        std::thread other([&] { std::memcpy(dst.data() + half, src.data() + half, half); });
        std::memcpy(dst.data(), src.data(), half);
        other.join();
        benchmark::DoNotOptimize(dst.data());
    }
    CountPixels(state, side);
}

#define PEER_SIDES \
    Arg(1024)->Arg(2048)->Arg(4096)->ArgName("side")->Unit(benchmark::kMillisecond)->UseRealTime()

BENCHMARK(BM_PeerBoxBlur)
    ->ArgsProduct({{1024, 2048, 4096}, {1, 8, 32}})
    ->ArgNames({"side", "radius"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_PeerRGBToHSV)->PEER_SIDES;
BENCHMARK(BM_PeerHSVToRGB)->PEER_SIDES;
BENCHMARK(BM_PeerHSVRoundTrip)->PEER_SIDES;
BENCHMARK(BM_PeerPerlinFbm)->PEER_SIDES;
BENCHMARK(BM_PeerMemcpy)->PEER_SIDES;
BENCHMARK(BM_PeerMemcpyTwoThreads)->PEER_SIDES;

}  // namespace
