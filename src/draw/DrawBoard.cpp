#include "draw/DrawBoard.h"

#include "register/CCUser.h"

#include <unordered_map>

TDrawBoard::TDrawBoard(const TStringList& participants, TLinks links)
{
    const int count = participants.Count();
    slots_.resize(static_cast<std::size_t>(count));
    takers_.resize(static_cast<std::size_t>(count), kAbsent);
    users_.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        TCCUser* user = UserAt(participants, i);
        users_[at] = user;
        if (user != nullptr) {
            slots_[at] = { user->GroupNo, kNoSlot };
            takers_[at] = kNoSlot;
            ++records_;
        }
    }
    unassigned_ = records_;
    if (links == TLinks::Imported)
        ImportLinks();
}

void TDrawBoard::ImportLinks()
{
    std::unordered_map<const TCCUser*, std::int32_t> indexOf;
    indexOf.reserve(users_.size());
    for (std::size_t i = 0; i < users_.size(); ++i)
        if (users_[i] != nullptr)
            indexOf.emplace(users_[i], static_cast<std::int32_t>(i));

    for (std::size_t i = 0; i < users_.size(); ++i) {
        const TCCUser* user = users_[i];
        if (user == nullptr || user->Taker == nullptr || user->Taker->Giver != user)
            continue;
        const auto taker = indexOf.find(user->Taker);
        if (taker == indexOf.end() || slots_[static_cast<std::size_t>(taker->second)].group == slots_[i].group)
            continue;
        // Only a record listed under two entries could get here: keep one link per end.
        if (slots_[static_cast<std::size_t>(taker->second)].giver != kNoSlot || takers_[i] != kNoSlot)
            continue;
        Link(static_cast<std::int32_t>(i), taker->second);
    }
}

void TDrawBoard::Store() const
{
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        TCCUser* user = users_[i];
        if (user == nullptr)
            continue;
        const std::int32_t taker = takers_[i];
        const std::int32_t giver = slots_[i].giver;
        user->Taker = taker == kNoSlot ? nullptr : users_[static_cast<std::size_t>(taker)];
        user->Giver = giver == kNoSlot ? nullptr : users_[static_cast<std::size_t>(giver)];
    }
}

void TDrawBoard::SettleTakers()
{
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].Present())
            takers_[i] = kNoSlot;
    for (std::size_t c = 0; c < slots_.size(); ++c)
        if (const std::int32_t giver = slots_[c].giver; giver >= 0)
            takers_[static_cast<std::size_t>(giver)] = static_cast<std::int32_t>(c);
}

bool TDrawBoard::SomeGroupOverHalf() const
{
    // Majority vote: a group with more than half of the records is the one left standing,
    // so one pass finds the only candidate and a second one counts it.
    std::int32_t candidate = 0;
    std::int32_t lead = 0;
    for (const TDrawSlot& slot : slots_) {
        if (!slot.Present())
            continue;
        if (lead == 0) {
            candidate = slot.group;
            lead = 1;
        } else if (slot.group == candidate) {
            ++lead;
        } else {
            --lead;
        }
    }
    if (lead == 0)
        return false;
    std::int64_t members = 0;
    for (const TDrawSlot& slot : slots_)
        if (slot.Present() && slot.group == candidate)
            ++members;
    return 2 * members > records_;
}
