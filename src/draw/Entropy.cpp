#include "draw/Entropy.h"

#include <openssl/err.h>
#include <openssl/rand.h>

#include <climits>
#include <string>

namespace {

class TSystemEntropy final : public IEntropySource {
public:
    void Fill(std::span<std::uint32_t> words) override
    {
        auto* bytes = reinterpret_cast<unsigned char*>(words.data());
        std::size_t left = words.size_bytes();
        while (left > 0) {
            const int chunk = left > INT_MAX ? INT_MAX : static_cast<int>(left);
            if (RAND_priv_bytes(bytes, chunk) != 1) {
                char reason[256] = "no reason given";
                if (const unsigned long code = ERR_get_error(); code != 0)
                    ERR_error_string_n(code, reason, sizeof reason);
                ERR_clear_error();
                throw EEntropyError(std::string("The system's random generator failed: ") + reason);
            }
            bytes += chunk;
            left -= static_cast<std::size_t>(chunk);
        }
    }
};

} // namespace

IEntropySource& SystemEntropy()
{
    static TSystemEntropy entropy;
    return entropy;
}
