#include "app/AlgorithmsCommand.h"

#include "app/HostContext.h"
#include "app/JsonOutput.h"
#include "host/core/model/AlgorithmCatalog.h"

#include <fmt/core.h>

namespace Tesselon {

AlgorithmsCommand::AlgorithmsCommand(CLI::App& program, HostContext& context)
    : Command(program, context, "algorithms", "List every offered algorithm by menu category")
{
    addJsonFlag();
}

int AlgorithmsCommand::run()
{
    const AlgorithmCatalog catalog(context().plugins().algorithmFactories());
    if (json()) {
        QJsonObject categories;
        for (const auto& [category, entries] : catalog.byCategory()) {
            QJsonArray algorithms;
            for (const auto& entry : entries)
                algorithms.append(
                    QJsonObject{{"id", QString::fromStdString(entry.descriptor->id)},
                                {"menu", QString::fromStdString(entry.descriptor->name)},
                                {"name", QString::fromStdString(entry.descriptor->displayName())}});
            categories[QString::fromStdString(category)] = algorithms;
        }
        JsonOutput::print({{"count", static_cast<int>(catalog.size())}, {"categories", categories}});
        return 0;
    }
    fmt::print("{} algorithms offered.\n", catalog.size());
    for (const auto& [category, entries] : catalog.byCategory()) {
        fmt::print("{}\n", category.empty() ? "(no category)" : category);
        for (const auto& entry : entries)
            fmt::print("  {:<52} {}\n", entry.descriptor->id, entry.descriptor->name);
    }
    return 0;
}

}  // namespace Tesselon
