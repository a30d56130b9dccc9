#include "draw/Random.h"

TRandomSource::TRandomSource()
    : TRandomSource(SystemEntropy())
{
}

TRandomSource::TRandomSource(IEntropySource& entropy)
    : secure_(std::make_unique<TSecureRandom>(entropy))
{
}

TRandomSource::TRandomSource(std::uint32_t seed)
    : seeded_(seed)
{
}

TRandomSource& ProgramRandom()
{
    static TRandomSource source;
    return source;
}
