#pragma once

#include <QSettings>

// The profile store the program and its installer share (the companion's path, LibreOffice's
// path, "powerpointdoc", the main window's size, the files per folder): the user's QSettings of the
// organisation "Kestrovia" and the application "QVN", wherever the program's own name (which the
// desktop and a screen reader know it by) may be. Any thread; one object per use.
inline constexpr char kProfileOrganisation[] = "Kestrovia";
inline constexpr char kProfileApplication[] = "QVN";

class ProfileStore : public QSettings {
public:
    explicit ProfileStore(Scope scope = UserScope)
        : QSettings(scope, QLatin1String(kProfileOrganisation),
                    QLatin1String(kProfileApplication)) {}
};
