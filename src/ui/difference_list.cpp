#include "ui/difference_list.h"

#include <string>

#include "ui/wide_text.h"

namespace axistune {

void ShowDifferences(DialogHost& host, int listId, const std::vector<SettingDifference>& rows) {
    host.ListClear(listId);
    for (const SettingDifference& row : rows) {
        std::string name = QualifiedName(*row.info);
        if (row.info->ReadOnly()) {
            name += " (read-only)";
        }
        const std::wstring cells[] = {WideText(name),
                                      WideText(FormatValueWithUnit(*row.info, row.controller)),
                                      WideText(FormatValueWithUnit(*row.info, row.file))};
        const wchar_t* const texts[] = {cells[0].c_str(), cells[1].c_str(), cells[2].c_str()};
        host.ListAddRow(listId, texts, 3);
    }
}

std::vector<SettingDifference> RestorableDifferences(const SettingValues& controller,
                                                     const SettingsFile& file,
                                                     const SettingSelection& selection) {
    std::vector<SettingDifference> restorable;
    for (const SettingDifference& row : CompareWithFile(controller, file, selection)) {
        if (!row.info->ReadOnly()) {
            restorable.push_back(row);
        }
    }
    return restorable;
}

}  // namespace axistune
