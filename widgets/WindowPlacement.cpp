#include "widgets/WindowPlacement.h"

#include <QByteArray>
#include <QEvent>
#include <QObject>
#include <QWidget>

#include "platform/IniFile.h"

namespace {

constexpr const char* kSection = "Windows";

std::string& File()
{
    static std::string file;
    return file;
}

// Saves the window's place when it is hidden: closed, accepted or rejected.
class TPlacementKeeper : public QObject {
public:
    TPlacementKeeper(QWidget& window, const char* key) : QObject(&window), key_(key) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && watched == parent())
            SavePlacement(*static_cast<QWidget*>(watched), key_.c_str());
        return false;
    }

private:
    std::string key_;
};

} // namespace

void InstallPlacementFile(const std::string& iniPath) { File() = iniPath; }

const std::string& PlacementFile() { return File(); }

bool RestorePlacement(QWidget& window, const char* key)
{
    if (File().empty())
        return false;
    const TIniFile ini(File());
    const std::string text = ini.ReadString(kSection, key, "");
    if (text.empty())
        return false;
    // restoreGeometry checks what it reads and keeps the window on a screen.
    return window.restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(text)));
}

bool SavePlacement(const QWidget& window, const char* key)
{
    if (File().empty())
        return false;
    TIniFile ini(File());
    ini.WriteString(kSection, key, window.saveGeometry().toBase64().toStdString());
    return ini.UpdateFile();
}

void TrackPlacement(QWidget& window, const char* key)
{
    RestorePlacement(window, key);
    window.installEventFilter(new TPlacementKeeper(window, key));
}
