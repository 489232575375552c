#pragma once
// The colours the instrument controls share, so that a pipe laid over the
// single-line diagram blends with it and the panel reads as one instrument.

#include <QColor>

namespace InstrumentColours {
// Mimic diagram and pipe
inline const QColor MimicBackground{24, 34, 44};
inline const QColor MimicGrey{92, 106, 118};      // de-energised line or block
inline const QColor MimicLit{46, 204, 113};       // energised
inline const QColor MimicBlockFill{32, 46, 58};   // inside a block
inline const QColor MimicFlowMark{236, 255, 242}; // moving marks on an energised line
inline const QColor MimicFault{231, 56, 48};

// Scale sections: low, normal, high
inline const QColor SectionLow{240, 173, 38};
inline const QColor SectionNormal{46, 184, 92};
inline const QColor SectionHigh{222, 60, 52};

// Faces and texts of gauges and bars
inline const QColor DialFace{248, 249, 250};
inline const QColor DialInk{33, 37, 41};
inline const QColor ReadoutBack{22, 28, 34};
inline const QColor ReadoutInk{225, 245, 232};
} // namespace InstrumentColours
