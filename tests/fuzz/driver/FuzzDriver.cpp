// Replays every file of a seed folder through LLVMFuzzerTestOneInput, then feeds a bounded
// number of deterministic mutations of those seeds (byte flips, truncations, insertions of
// large counts). Used where libFuzzer is not available, so the targets still run in CTest.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::string> readSeeds(const char* folder) {
    std::vector<std::string> seeds;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (seeds.empty()) seeds.emplace_back();
    return seeds;
}

void run(const std::string& input) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

std::string mutate(std::string s, std::mt19937& rng) {
    const int steps = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < steps; ++i) {
        const size_t pos = s.empty() ? 0 : rng() % s.size();
        switch (rng() % 5) {
        case 0: // flip a byte
            if (!s.empty()) s[pos] = static_cast<char>(rng());
            break;
        case 1: // truncate
            s.resize(pos);
            break;
        case 2: // insert a random byte
            s.insert(s.begin() + static_cast<std::ptrdiff_t>(pos), static_cast<char>(rng()));
            break;
        case 3: // overwrite four bytes with a huge little-endian count
            if (s.size() >= pos + 4) {
                const uint32_t v = (rng() & 1) ? 0xFFFFFFFFu : 0x7FFFFFF0u + (rng() % 16);
                for (int b = 0; b < 4; ++b)
                    s[pos + b] = static_cast<char>(v >> (8 * b));
            }
            break;
        default: // duplicate a slice
            if (!s.empty()) {
                const size_t len = 1 + rng() % std::min<size_t>(64, s.size() - pos);
                s.insert(pos, s.substr(pos, len));
            }
            break;
        }
    }
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s SEED_FOLDER [MUTATIONS]\n", argv[0]);
        return 2;
    }
    const long mutations = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 20000;
    const auto seeds = readSeeds(argv[1]);
    for (const auto& seed : seeds) {
        run(seed);
        for (size_t cut = 0; cut < seed.size(); ++cut)
            run(seed.substr(0, cut));
    }
    std::mt19937 rng(12345);
    for (long i = 0; i < mutations; ++i)
        run(mutate(seeds[rng() % seeds.size()], rng));
    std::printf("%zu seeds and %ld mutations ran without a fault\n", seeds.size(), mutations);
    return 0;
}
