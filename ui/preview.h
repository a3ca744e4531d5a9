// The live preview inside the parameter dialog: the whole selection reduced by a
// whole factor to fit the frame (control 5), filtered with the current settings
// or not, drawn through the host's displayPixels.
//
// The host is asked once, at set-up, for the reduced input and an output buffer
// of the reduced size; every render re-runs the engine over them in place. A host
// that cannot sample delivers full-size data instead, which the preview reduces
// itself into a buffer of its own, so that the engine sees the same reduced image
// and the same rate either way.
#pragma once

#include "platform/dialog_window.h"
#include "sdk/filter_record.h"

// Geometry, chosen once at set-up and kept in the host record.
// Factor n: the smallest whole number that makes the selection fit the frame
// inset by 2 pixels on every side; 0 when there is nothing to show.
int32 previewReductionFactor(int32 imageWidth, int32 imageHeight, int32 frameWidth,
                             int32 frameHeight);
// The selection at a reduction factor: the corner rounded to nearest (halves away
// from zero), the size rounded up.
Rect scaleRectDown(const Rect& rect, int32 factor);
// The rectangle shrunk by `by` on every side.
Rect insetRect(const Rect& rect, int32 by);

// When the dialog opens: geometry, the one advanceState, the first render. 0 also when
// the dialog has no frame; an error code when there is nothing usable to show (an
// empty selection, a failed advanceState, data the engine cannot use, no memory),
// after which renders and paints leave the frame empty.
int32 setUpPreview(FilterRecord* record, DialogWindow dialog);
// prepareEffect and the kernel over the reduced image; draws nothing.
void renderPreview(FilterRecord* record);
// Repaints the frame at the dialog's next painting; nilHandleErr without a frame control.
int32 invalidatePreview(DialogWindow dialog);
// renderPreview, then invalidatePreview; 0.
int32 refreshPreview(FilterRecord* record, DialogWindow dialog);
// The black frame and, when there is something to show, the image centred in it.
void paintPreview(FilterRecord* record, DialogWindow dialog, void* drawingContext);
// paintPreview at once, outside the dialog's painting (during a slider drag).
void paintPreviewNow(FilterRecord* record, DialogWindow dialog);
// The displayPixels call for a frame given in the dialog's client coordinates.
// platformData holds the drawing context (a device context on Windows) during
// the call and is put back after it.
void displayPreview(FilterRecord* record, const Rect& frame, void* drawingContext);

// 1: the preview shows the filtered image; 0: the unfiltered one.
int32 previewShowsEffect();
void setPreviewShowsEffect(int32 showsEffect);

// After the dialog has ended: puts the host's output buffer back as it was
// delivered, so that a host that writes it into the document changes nothing,
// and frees the preview's own buffers.
void closePreview(FilterRecord* record);
