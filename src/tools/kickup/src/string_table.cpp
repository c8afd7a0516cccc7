#include "string_table.h"

#include <algorithm>
#include <iterator>

namespace quarn::kickup {

namespace {

struct entry_t {
    int id;
    const char *text;
};

// Sorted by id.
constexpr entry_t TABLE[] = {
    {101, "Niedrig"},
    {102, "Normal"},
    {103, "Hoch"},
    {104, "- N/A"},
    {105, "- N/A"},
    {106, "OpenGL"},
    {107, "DirectX"},
    {108, "Das System hat keine passende Grafikkarte für die Anwendung gefunden.\n"
          "Bitte schauen Sie in die Hilfe-Datei, um eine Lösung für Ihre Hardware zu finden.\n"
          "Vielleicht müssen Sie die Treiber Ihrer Grafikkarte aktualisieren."},
    {109, "Fernwold"},
    {110, "TZK Software"},
    {111, "Fernwold"},
    {112, "Installation nicht vollständig. Bitte installieren Sie das Programm erneut von der CD."},
    {113, "Harlstock 3D"},
    {114, " "},
    {132, "Ihr Grafikkarten-Treiber verursacht Probleme oder ist veraltet.\n"
          "Sie können zwar spielen ,aber Sie sollten neue Treiber herunterladen und\n"
          "installieren, um möglichst reibungslos spielen zu können"},
    {136, "Sie haben eine oder mehere Einstellungen für Harlstock 3D verändeert.\n"
          "Möchten Sie diese Einstellungen speichern?"},
    {139, "Launcher Anwendung"},
    {140, "Benutzer"},
    {141, "g_quality"},
    {142, "Überblick"},
    {143, "Konfiguration"},
    {144, "Vollbild"},
    {145, "Fenster"},
    {146, "Hz Bild-Wiederholungsrate"},
    {147, "Standard Wiederholungsrate"},
    {148, " bit"},
    {149, "OK"},
    {150, "Abbrechen"},
    {151, "Ja"},
    {152, "Nein"},
    // The game program; it carries no suffix here.
    {153, "fernwold"},
    {200, "quarn3d.log"},
    {500, "Niedrig"},
    {502, "Minimum"},
    {504, "Maximum"},
    {520, "Standard"},
    {522, "Besser"},
    {524, "Hoch"},
    {526, "__DISABLED_NOBODY_SHOULD_SEE_IT__"},
    {560, "Besser"},
    {601, "r_device"},
    {602, "r_path"},
    {603, "r_mode"},
    {604, "r_fullscreen"},
    {605, "s_acceleration"},
    {606, "s_mix_rate"},
    {607, "s_device"},
    {608, "snddev"},
};

static_assert(std::is_sorted(std::begin(TABLE), std::end(TABLE), [](const entry_t &a, const entry_t &b) {
    return a.id < b.id;
}));

}  // namespace

std::string load_resource_string(int id) {
    const auto it = std::lower_bound(std::begin(TABLE), std::end(TABLE), id,
                                     [](const entry_t &e, int key) { return e.id < key; });
    if (it != std::end(TABLE) && it->id == id) return it->text;
    return "[" + std::to_string(id) + "] resource id";
}

}  // namespace quarn::kickup
