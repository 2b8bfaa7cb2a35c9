#pragma once

#include <functional>
#include <string>

#include "geometry/FigList.h"

namespace velmora {

enum class TSaveResult {
    Written,       // the whole document is on disk
    Failed,        // a write failed after the file was created; the partial file is deleted
    CannotCreate,  // the file could not be created, or an existing one could not be read
};

// Plain: the document with one lines element per segment. Compact: all segments of a
// geometry in one lines element, and the unit (metres) stated in the asset block.
enum class TDaeStyle { Plain, Compact };

// Local date and time for the document's time stamps.
struct TDaeTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};
using TDaeClock = std::function<TDaeTime()>;

// The computer's clock in its own time zone.
TDaeTime LocalDaeTime();
// "YYYY-MM-DDThh:mm:ssZ" (the local time, not converted to UTC, followed by Z as the format has
// it).
std::string DaeTimeText(const TDaeTime& t);

// Writes the primitive list as a COLLADA 1.4.1 document to dst (UTF-8 path), replacing a file
// of that name, whose creation time stamp is carried over. Coordinates are multiplied by
// saveScale * 0.001; a non-finite coordinate or normal component is written as 0. error gets a
// text for Failed and CannotCreate. clock (the local clock when empty) gives the time stamps.
// Only the list's counts change. A raised stop ends the write as Failed, the file removed.
// Never throws.
TSaveResult SaveDaeFile(const std::string& dst, TFigList& fig, double saveScale, std::string& error,
                        const TDaeClock& clock = {}, TDaeStyle style = TDaeStyle::Plain,
                        const TStopFlag* stop = nullptr);

}  // namespace velmora
