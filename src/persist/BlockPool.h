#pragma once
// Blocks of one size for records that are made and freed by the tens of thousands (a
// register read, a register cleared). The general heap sorts every freed block of that
// size into its bins and takes it out again; here a block is taken and given back in a
// few instructions, and the blocks of a list read in one go lie side by side in memory.

#include <algorithm>
#include <cstddef>
#include <new>

/// Hands out blocks of `blockSize` bytes, aligned as `new` aligns them. Meant as a
/// thread_local: a block may be given back on another thread than took it (it then serves
/// that thread). The memory is kept for the life of the process, as the heap keeps it.
class TBlockPool {
public:
    constexpr explicit TBlockPool(std::size_t blockSize)
        : size_(std::max(RoundUp(blockSize), sizeof(TFree)))
    {
    }

    void* Take()
    {
        if (free_ == nullptr)
            Grow();
        TFree* block = free_;
        free_ = block->next;
        return block;
    }
    void Give(void* block) noexcept { free_ = new (block) TFree { free_ }; }

private:
    struct TFree {
        TFree* next;
    };
    static constexpr std::size_t kAlign = __STDCPP_DEFAULT_NEW_ALIGNMENT__;
    static constexpr std::size_t kMostBlocks = 4096;

    static constexpr std::size_t RoundUp(std::size_t size) { return (size + kAlign - 1) / kAlign * kAlign; }

    /// A fresh run of blocks, each twice as long as the one before, up to kMostBlocks; they
    /// are handed out in address order.
    void Grow()
    {
        auto* run = static_cast<unsigned char*>(::operator new(size_* blocks_));
        for (std::size_t i = blocks_; i-- > 0;)
            Give(run + i * size_);
        blocks_ = std::min(2 * blocks_, kMostBlocks);
    }

    std::size_t size_;
    std::size_t blocks_ = 16;
    TFree* free_ = nullptr;
};
