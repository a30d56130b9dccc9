// The least a whole-process draw of a document can do, as a plain C++ program: read the
// file's bytes, shuffle one index per participant with the program's generator, write the
// bytes to a new file (not flushed to disk). Usage: draw_process_baseline IN OUT COUNT SEED

#include "draw/Random.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 5)
        return 2;
    std::ifstream in(argv[1], std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::uint32_t> order(std::strtoul(argv[3], nullptr, 10));
    std::iota(order.begin(), order.end(), 0u);
    TSeededRandom random(static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10)));
    for (std::size_t i = order.size(); i > 1; --i)
        std::swap(order[i - 1], order[random.Next(static_cast<std::uint32_t>(i))]);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    // The order is the program's result: its exit status keeps the shuffle from being dropped.
    return order.empty() || order.front() < order.size() ? 0 : 1;
}
