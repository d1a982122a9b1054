#pragma once

#include <QString>
#include <optional>

namespace ardentix {

class Prompts;

// The numbered texts of the program; nullopt for a number that has none.
std::optional<QString> CatalogueText(int number);

namespace zidodu {

// Shows catalogue text `number` in a modal box with the caller's style and title. An unknown
// number shows text 101 under the same style and title. Never fails.
void ShowMsg(Prompts& prompts, int number, int style, const QString& title);

}  // namespace zidodu
}  // namespace ardentix
