#include "draw/Draw.h"

#include "draw/DrawBoard.h"
#include "register/CCUser.h"

#include <bit>
#include <span>
#include <vector>

namespace {

// The classic procedure's bound: pass counter J runs from -10000 up to 0, and each pass's
// step counter I starts at the new J, so pass k may take 10000 - k steps.
constexpr std::int32_t kPassBound = 10000;

// Further passes (used only when the classic ones run out on a register that has a
// solution) share one budget of random numbers of about three times n log2 n: ordinary
// registers finish well inside it, and the tight ones, where random passes can wander for
// ever, go on to the completion after a bounded, n log n amount of work.
std::int64_t FurtherBudget(std::int32_t count)
{
    const auto n = static_cast<std::int64_t>(count);
    return 3 * n * std::bit_width(static_cast<std::uint32_t>(count)) + kPassBound;
}

/// The generator as the passes use it: any source through a reference, one call per number.
template <class Random> class TPassRandom {
public:
    explicit TPassRandom(Random& source)
        : source_(source)
    {
    }
    std::uint32_t Next(std::uint32_t n) { return source_.Next(n); }

private:
    Random& source_;
};

/// The seeded generator, the same numbers faster. Reached through a reference, its state
/// would be reloaded after every store to the board (a store to an int32 may alias the uint32
/// state); local copies stay in registers, and the state is written back at the end. Two
/// states are kept, one number apart, and each is advanced by two steps of the generator at
/// once (s2 = s0 * a^2 + a + 1), so that a number does not wait for the multiplication that
/// makes the one before it.
template <> class TPassRandom<TSeededRandom> {
public:
    explicit TPassRandom(TSeededRandom& source)
        : source_(source)
        , current_(source.Seed())
        , next_(current_ * kMultiplier + 1u)
    {
    }
    ~TPassRandom() { source_.SetSeed(current_); }
    TPassRandom(const TPassRandom&) = delete;
    TPassRandom& operator=(const TPassRandom&) = delete;

    std::uint32_t Next(std::uint32_t n)
    {
        const std::uint32_t state = next_;
        next_ = current_ * (kMultiplier * kMultiplier) + (kMultiplier + 1u);
        current_ = state;
        return TSeededRandom::Scale(state, n);
    }

private:
    static constexpr std::uint32_t kMultiplier = TSeededRandom::kMultiplier;
    TSeededRandom& source_;
    std::uint32_t current_; ///< the state after the last number taken
    std::uint32_t next_; ///< the state after the number to come
};

/// The secure generator, the same numbers without a call through the source for each: the
/// words of its block are read through a pointer of the pass's own, and the source is told
/// how many were taken when a block runs out and at the end.
template <> class TPassRandom<TSecureRandom> {
public:
    explicit TPassRandom(TSecureRandom& source)
        : source_(source)
    {
        TakeBlock();
    }
    ~TPassRandom() { source_.Consume(static_cast<std::size_t>(at_ - begin_)); }
    TPassRandom(const TPassRandom&) = delete;
    TPassRandom& operator=(const TPassRandom&) = delete;

    std::uint32_t Next(std::uint32_t n)
    {
        return UniformBelow(n, [this] {
            if (at_ == end_) [[unlikely]]
                TakeBlock();
            return *at_++;
        });
    }

private:
    void TakeBlock()
    {
        source_.Consume(static_cast<std::size_t>(at_ - begin_));
        // Counted as taken before the source is asked again, should reading the next block fail.
        begin_ = at_;
        const std::span<const std::uint32_t> words = source_.Unread();
        begin_ = at_ = words.data();
        end_ = begin_ + words.size();
    }

    TSecureRandom& source_;
    const std::uint32_t* begin_ = nullptr;
    const std::uint32_t* at_ = nullptr;
    const std::uint32_t* end_ = nullptr;
};

struct TChainEnd {
    std::int32_t giver; ///< still looking when the steps ran out; kNoSlot when a free taker was reached
    std::int64_t steps; ///< steps left
};

/// The chain of one pass from the free giver g, one step per candidate drawn: a candidate
/// of g's own group, or an entry without a record, only costs the step; any other becomes
/// g's taker, and the giver who loses it looks next. Ends at a candidate nobody gave to yet,
/// or when the steps run out. Entries without a record are looked for only on a board that
/// has some (kGaps), so a register's chain tests nothing but the group.
///
/// A step touches the candidate's slot alone. Takers are not written: every giver the chain
/// passes through gives again at once, so only its two ends change, and the caller marks
/// them; the takers follow from the givers afterwards (TDrawBoard::SettleTakers).
template <bool kGaps, class Random>
inline TChainEnd RunChain(TDrawSlot* s, std::uint32_t count, std::int32_t g, std::int64_t steps, Random& random)
{
    std::int32_t group = s[g].group;
    while (steps > 0) {
        --steps;
        const auto c = static_cast<std::int32_t>(random.Next(count));
        const TDrawSlot candidate = s[c];
        if (candidate.group == group || (kGaps && candidate.giver == kAbsent))
            continue;
        s[c].giver = g;
        if (candidate.giver == kNoSlot)
            return { kNoSlot, steps };
        g = candidate.giver;
        group = s[g].group;
    }
    return { g, steps };
}

/// The classic procedure: pass k starts at a random entry and may take 10000 - k steps.
/// Returns the number of passes run.
template <bool kGaps, class Random> std::int32_t RunClassicPasses(TDrawBoard& board, Random& source)
{
    TPassRandom<Random> random(source);
    TDrawSlot* const s = board.Slots();
    std::int32_t* const takers = board.Takers();
    const auto count = static_cast<std::uint32_t>(board.Count());
    std::int32_t unassigned = board.Unassigned();
    std::int32_t passes = 0;
    for (std::int32_t j = -kPassBound; j < 0;) {
        ++j;
        ++passes;
        const auto g = static_cast<std::int32_t>(random.Next(count));
        // A giver who already gives, or an entry without a record, ends the pass at once.
        if (takers[g] == kNoSlot) {
            const TChainEnd end = RunChain<kGaps>(s, count, g, -j, random);
            takers[g] = kUnsettled;
            if (end.giver == kNoSlot)
                --unassigned;
            else
                takers[end.giver] = kNoSlot;
        }
        // The count of givers without a taker stands in for a scan of the whole list.
        if (unassigned == 0)
            break;
    }
    board.SetUnassigned(unassigned);
    return passes;
}

/// Goes on after the classic passes on a register that has a solution. A classic pass that
/// starts at a giver who has a taker does nothing at all, and near the end nearly all of them
/// do; so each further pass starts at a random giver among those still without a taker, which
/// leaves the course of the links as it would be and drops only the idle passes. The chain of
/// a pass is the classic one: the giver who loses his taker looks next.
template <bool kGaps, class Random> std::int64_t RunFurtherPasses(TDrawBoard& board, Random& source)
{
    TDrawSlot* const s = board.Slots();
    const auto count = static_cast<std::uint32_t>(board.Count());
    // Every entry is written and only a free giver counted: free and busy givers are mixed
    // about evenly here, so a branch on it would guess wrong at every other entry.
    std::vector<std::int32_t> waiting(static_cast<std::size_t>(board.Count()));
    const std::int32_t* const takers = board.Takers();
    std::size_t free = 0;
    for (std::int32_t k = 0; k < board.Count(); ++k) {
        waiting[free] = k;
        free += takers[k] == kNoSlot ? 1 : 0;
    }
    waiting.resize(free);

    TPassRandom<Random> random(source);
    std::int32_t unassigned = board.Unassigned();
    std::int64_t passes = 0;
    std::int64_t budget = FurtherBudget(board.Count());
    while (!waiting.empty() && budget > 0) {
        ++passes;
        --budget;
        const std::uint32_t at = random.Next(static_cast<std::uint32_t>(waiting.size()));
        const std::int32_t g = waiting[at];
        waiting[at] = waiting.back();
        waiting.pop_back();
        const TChainEnd end = RunChain<kGaps>(s, count, g, budget, random);
        budget = end.steps;
        // Out of budget in mid-chain: the giver waits for the completion.
        if (end.giver != kNoSlot)
            waiting.push_back(end.giver);
        else
            --unassigned;
    }
    board.SetUnassigned(unassigned);
    return passes;
}

template <class Random> TDrawOutcome Run(TStringList* participants, Random& random, TDrawReport& report)
{
    report = TDrawReport {};
    if (participants == nullptr || participants->Count() < 2) {
        ClearAssignments(participants);
        return TDrawOutcome::NotRun;
    }

    // Every record's links are written by Store at the end, whatever the outcome.
    TDrawBoard board(*participants, TDrawBoard::TLinks::None);
    const bool gaps = board.Records() != board.Count();
    report.passes = gaps ? RunClassicPasses<true>(board, random) : RunClassicPasses<false>(board, random);
    if (board.Unassigned() != 0 && board.SomeGroupOverHalf()) {
        board.SettleTakers();
        board.Store();
        return TDrawOutcome::Failed;
    }
    if (board.Unassigned() != 0)
        report.furtherPasses = gaps ? RunFurtherPasses<true>(board, random) : RunFurtherPasses<false>(board, random);
    board.SettleTakers();
    if (board.Unassigned() != 0) {
        report.completed = board.Unassigned();
        CompleteBoard(board, random);
    }
    board.Store();
    return TDrawOutcome::Complete;
}

} // namespace

TDrawOutcome DrawAssignments(TStringList* participants, TRandomSource& random)
{
    TDrawReport report;
    return DrawAssignments(participants, random, report);
}

TDrawOutcome DrawAssignments(TStringList* participants, TRandomSource& random, TDrawReport& report)
{
    return random.Visit([&](auto& generator) { return Run(participants, generator, report); });
}

TDrawOutcome DrawAssignments(TStringList* participants, IRandomNumbers& random, TDrawReport& report)
{
    return Run(participants, random, report);
}

bool CompleteAssignments(TStringList* participants, TRandomSource& random)
{
    if (participants == nullptr)
        return true;
    TDrawBoard board(*participants, TDrawBoard::TLinks::Imported);
    if (board.SomeGroupOverHalf())
        return false;
    random.Visit([&board](auto& generator) { CompleteBoard(board, generator); });
    board.Store();
    return true;
}
