#pragma once
// Where the secure random source takes its bits. The program's own supply is the system's
// cryptographic generator; tests hand in a scripted one.

#include <cstdint>
#include <span>
#include <stdexcept>

/// Raised when the system cannot give random bits: no draw may go on without them.
class EEntropyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IEntropySource {
public:
    virtual ~IEntropySource() = default;
    /// Fills every word with bits nobody can predict; raises EEntropyError when it cannot.
    virtual void Fill(std::span<std::uint32_t> words) = 0;
};

/// The system's generator: OpenSSL's private DRBG, which the library seeds and reseeds from
/// the kernel (getrandom). Read straight from the kernel, the bits would cost several times
/// the whole draw of a large register; the DRBG gives them at memory speed.
IEntropySource& SystemEntropy();
