#include "draw/SecureRandom.h"

void TSecureRandom::Refill()
{
    entropy_.Fill({ words_.get(), kBlockWords });
    next_ = 0;
}
