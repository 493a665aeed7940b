// A skin's "Colors.txt": four fields, the second and fourth colours.
#include "app/vberror.h"
#include "fuzzsupport.h"
#include "options/fieldreader.h"
#include "skins/colors.h"

#include <QWidget>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vornap;
    fuzz::ensureApplication<QGuiApplication>();
    QString fields[4];
    try {
        FieldReader colors(fuzz::bytes(data, size));
        for (QString& field : fields)
            field = colors.input();
    } catch (const RuntimeError& e) {
        if (e.number() != 62)
            std::abort();
        return 0;
    }
    for (const QString& text : {fields[1], fields[3]}) {
        try {
            const QColor color = SkinColor(text);
            if (!color.isValid())
                std::abort();
        } catch (const RuntimeError& e) {
            // Type mismatch, Overflow or Invalid property value; nothing else.
            if (e.number() != 13 && e.number() != 6 && e.number() != 380)
                std::abort();
        }
    }
    return 0;
}
