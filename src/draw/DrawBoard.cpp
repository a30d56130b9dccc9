#include "draw/DrawBoard.h"

#include "register/CCUser.h"

#include <typeinfo>
#include <unordered_map>

namespace {

TCCUser* RecordAt(const TStringList& participants, int index)
{
    // Every entry of a real register carries exactly a TCCUser: the exact type test spares
    // the general cast, which would cost more than the whole draw of a large register.
    TObject* object = participants.Objects(index);
    if (object != nullptr && typeid(*object) == typeid(TCCUser))
        return static_cast<TCCUser*>(object);
    return dynamic_cast<TCCUser*>(object);
}

} // namespace

TDrawBoard::TDrawBoard(const TStringList& participants, TLinks links)
{
    const int count = participants.Count();
    slots_.resize(static_cast<std::size_t>(count));
    users_.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        TCCUser* user = RecordAt(participants, i);
        users_[static_cast<std::size_t>(i)] = user;
        if (user != nullptr) {
            slots_[static_cast<std::size_t>(i)].group = user->GroupNo;
            slots_[static_cast<std::size_t>(i)].present = 1;
            ++records_;
            if (links == TLinks::Cleared) {
                user->Giver = nullptr;
                user->SetTaker(nullptr);
            }
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
        if (slots_[static_cast<std::size_t>(taker->second)].giver != kNoSlot || slots_[i].taker != kNoSlot)
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
        const TDrawSlot& slot = slots_[i];
        user->Taker = slot.taker == kNoSlot ? nullptr : users_[static_cast<std::size_t>(slot.taker)];
        user->Giver = slot.giver == kNoSlot ? nullptr : users_[static_cast<std::size_t>(slot.giver)];
    }
}

bool TDrawBoard::SomeGroupOverHalf() const
{
    // Majority vote: a group with more than half of the records is the one left standing,
    // so one pass finds the only candidate and a second one counts it.
    std::int32_t candidate = 0;
    std::int32_t lead = 0;
    for (const TDrawSlot& slot : slots_) {
        if (slot.present == 0)
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
        if (slot.present != 0 && slot.group == candidate)
            ++members;
    return 2 * members > records_;
}
