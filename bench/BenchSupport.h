#pragma once
// What every benchmark program here needs: registers of n participants, a scratch
// folder, and a main that starts the persistence (and Qt, where asked) first.

#include "register/CCUser.h"
#include "register/PersistenceStartup.h"
#include "support/Files.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

namespace bench {

/// An owning list of n participants; `names(i)` gives the first and last name of
/// entry i, `group(i)` its group number. `owner` owns the records, as the window does.
inline std::unique_ptr<TStringList> MakeParticipants(int n,
    const std::function<std::pair<std::string, std::string>(int)>& names, const std::function<int(int)>& group,
    TObject* owner = nullptr)
{
    auto list = std::make_unique<TStringList>(true);
    list->Reserve(n);
    for (int i = 0; i < n; ++i) {
        auto* user = new TCCUser(list.get(), owner);
        const auto [first, last] = names(i);
        user->SetNames(first, last);
        user->GroupNo = group(i);
        list->Add(user->FullName(), user);
    }
    return list;
}

/// Every participant gives to the next one, the last to the first.
inline void LinkInCircle(TStringList& list)
{
    for (int i = 0; i < list.Count(); ++i)
        UserAt(list, i)->SetTaker(UserAt(list, (i + 1) % list.Count()));
}

/// Groups GROUP0 .. GROUP<count - 1>.
inline std::unique_ptr<TStringList> MakeGroups(int count)
{
    auto groups = std::make_unique<TStringList>();
    for (int g = 0; g < count; ++g)
        groups->Add("GROUP" + std::to_string(g));
    return groups;
}

/// A fresh folder under the temporary directory, removed with its contents.
using TScratchFolder = testsupport::TTempDir;

/// The whole main of a benchmark program. With an application type (QGuiApplication,
/// QApplication) one is created first, on Qt's offscreen platform unless another is set.
template <class Application = void> int RunBenchmarks(int argc, char** argv)
{
    StartPersistenceWithVersion();
    if (const char* platform = std::getenv("QT_QPA_PLATFORM"); platform == nullptr || *platform == '\0')
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    auto run = [&] {
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv))
            return 1;
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        return 0;
    };
    if constexpr (std::is_void_v<Application>) {
        return run();
    } else {
        Application application(argc, argv);
        return run();
    }
}

} // namespace bench
