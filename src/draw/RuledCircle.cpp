// One circle through everybody under the group rule and the organiser's exclusions.
//
// Finding such a circle is a Hamiltonian-cycle question, hard in general, so this is a
// sequence of ever more thorough attempts, each cheap when it succeeds:
//  1. The interleaved circle (InterleavedCircle.cpp) keeps the group rule. With no
//     exclusions it is the answer: exact, and O(n).
//  2. Repair: each link an exclusion forbids is mended by exchanging the places of one of
//     its two people with someone else, kept when it forbids fewer links than before (or
//     as many, half of the time, so that the search can walk past a dead end). Dense
//     registers (few exclusions per person, as organisers write them) need a few tries
//     per broken link. Bounded by a budget of O(n) tries.
//  3. Growth (CircleGrowth.cpp): a method that cannot fail when everybody may give to at
//     least half of the people and be given to by at least half (Ghouila-Houri's theorem
//     says a circle exists then). O(n) per step and at most n steps.
//  4. On small registers, a search of every order, which also proves when none exists.
// Whatever was found is then shuffled by exchanges of places that keep every link allowed,
// about n log n of them, so that the circle is a random one.

#include "draw/RuledSteps.h"

#include <bit>

namespace {

// Every order of up to this many people can be tried: (n - 1)! = 362,880 at most.
constexpr std::int32_t kTryEveryOrderUpTo = 10;

/// A circle as seats: who sits where, and where everyone sits.
class TSeats {
public:
    TSeats(const TDrawRules& rules, std::vector<std::int32_t>& order)
        : rules_(rules)
        , order_(order)
        , seat_(order.size())
    {
        for (std::size_t k = 0; k < order.size(); ++k)
            seat_[static_cast<std::size_t>(order[k])] = static_cast<std::int32_t>(k);
    }

    std::int32_t Count() const { return static_cast<std::int32_t>(order_.size()); }
    std::int32_t SeatOf(std::int32_t person) const { return seat_[static_cast<std::size_t>(person)]; }
    std::int32_t At(std::int32_t seat) const { return order_[static_cast<std::size_t>(Wrap(seat))]; }
    /// True when the person on `seat` may not give to the next one.
    bool Broken(std::int32_t seat) const { return !rules_.Allows(At(seat), At(seat + 1)); }

    /// Forbidden links leaving the seats around a and b (each counted once).
    std::int32_t BrokenAround(std::int32_t a, std::int32_t b) const
    {
        const std::int32_t seats[] = { Wrap(a - 1), Wrap(a), Wrap(b - 1), Wrap(b) };
        std::int32_t broken = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            bool seen = false;
            for (std::size_t j = 0; j < i; ++j)
                seen = seen || seats[j] == seats[i];
            if (!seen && Broken(seats[i]))
                ++broken;
        }
        return broken;
    }

    void Exchange(std::int32_t a, std::int32_t b)
    {
        std::swap(order_[static_cast<std::size_t>(a)], order_[static_cast<std::size_t>(b)]);
        seat_[static_cast<std::size_t>(order_[static_cast<std::size_t>(a)])] = a;
        seat_[static_cast<std::size_t>(order_[static_cast<std::size_t>(b)])] = b;
    }

    /// Exchanges seats a and b and returns the change in forbidden links around them.
    std::int32_t TryExchange(std::int32_t a, std::int32_t b)
    {
        const std::int32_t before = BrokenAround(a, b);
        Exchange(a, b);
        return BrokenAround(a, b) - before;
    }

    std::int32_t Wrap(std::int32_t seat) const
    {
        const std::int32_t n = Count();
        return ((seat % n) + n) % n;
    }

private:
    const TDrawRules& rules_;
    std::vector<std::int32_t>& order_;
    std::vector<std::int32_t> seat_;
};

/// Random exchanges of seats that keep every link allowed.
void MixCircle(const TDrawRules& rules, std::vector<std::int32_t>& order, TRandomSource& random)
{
    TSeats seats(rules, order);
    const std::int32_t n = seats.Count();
    const std::int64_t tries = static_cast<std::int64_t>(n) * std::bit_width(static_cast<std::uint32_t>(n));
    for (std::int64_t k = 0; k < tries; ++k) {
        const std::int32_t a = RandomBelow(random, n);
        const std::int32_t b = RandomBelow(random, n);
        if (a == b)
            continue;
        // Every link is allowed before, so only the new ones need a look.
        seats.Exchange(a, b);
        if (seats.Broken(a - 1) || seats.Broken(a) || seats.Broken(b - 1) || seats.Broken(b))
            seats.Exchange(a, b);
    }
}

/// Depth-first over every order that starts with person 0 (a circle may start anywhere).
class TEveryOrder {
public:
    explicit TEveryOrder(const TDrawRules& rules)
        : rules_(rules)
        , used_(static_cast<std::size_t>(rules.Count()), false)
    {
    }

    TCircleSearch Run(std::vector<std::int32_t>& order)
    {
        path_.assign(1, 0);
        used_[0] = true;
        if (!Extend())
            return TCircleSearch::Impossible;
        order = path_;
        return TCircleSearch::Found;
    }

private:
    bool Extend()
    {
        const std::int32_t n = rules_.Count();
        const std::int32_t last = path_.back();
        if (static_cast<std::int32_t>(path_.size()) == n)
            return rules_.Allows(last, path_.front());
        for (std::int32_t next = 1; next < n; ++next) {
            if (used_[static_cast<std::size_t>(next)] || !rules_.Allows(last, next))
                continue;
            used_[static_cast<std::size_t>(next)] = true;
            path_.push_back(next);
            if (Extend())
                return true;
            path_.pop_back();
            used_[static_cast<std::size_t>(next)] = false;
        }
        return false;
    }

    const TDrawRules& rules_;
    std::vector<bool> used_;
    std::vector<std::int32_t> path_;
};

} // namespace

bool RepairCircle(const TDrawRules& rules, TRandomSource& random, std::vector<std::int32_t>& order)
{
    TSeats seats(rules, order);
    const std::int32_t n = seats.Count();
    std::vector<std::int32_t> suspects;
    for (std::int32_t s = 0; s < n; ++s)
        if (seats.Broken(s))
            suspects.push_back(s);
    std::int64_t broken = static_cast<std::int64_t>(suspects.size());
    for (std::int64_t budget = 32 * static_cast<std::int64_t>(n) + 4096; broken > 0 && budget > 0; --budget) {
        if (suspects.empty())
            break;
        // Suspects are checked lazily: an exchange may have mended one on the way.
        const auto pick = static_cast<std::size_t>(RandomBelow(random, static_cast<std::int32_t>(suspects.size())));
        const std::int32_t seat = suspects[pick];
        if (!seats.Broken(seat)) {
            suspects[pick] = suspects.back();
            suspects.pop_back();
            continue;
        }
        const std::int32_t a = seats.Wrap(seat + RandomBelow(random, 2));
        const std::int32_t b = RandomBelow(random, n);
        if (a == b)
            continue;
        const std::int32_t change = seats.TryExchange(a, b);
        if (change > 0 || (change == 0 && random.Next(2) == 0)) {
            seats.Exchange(a, b);
            continue;
        }
        broken += change;
        for (const std::int32_t s : { a - 1, a, b - 1, b })
            if (seats.Broken(s))
                suspects.push_back(seats.Wrap(s));
    }
    return broken == 0;
}

TCircleSearch FindCircle(const TDrawRules& rules, TRandomSource& random, std::vector<std::int32_t>& order)
{
    order = InterleavedCircle(rules, random);
    bool found = !rules.HasExclusions() || RepairCircle(rules, random, order) || GrowCircle(rules, random, order);
    if (!found && rules.Count() <= kTryEveryOrderUpTo) {
        if (TEveryOrder(rules).Run(order) == TCircleSearch::Impossible)
            return TCircleSearch::Impossible;
        found = true;
    }
    if (!found)
        return TCircleSearch::GaveUp;
    MixCircle(rules, order, random);
    return TCircleSearch::Found;
}
