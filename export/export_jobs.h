// The export jobs that the progress dialog runs, and the orbalix program too.
#pragma once

#include <cstdint>

#include "host/rect_path.h"

struct GlobalsRecord;

// Progress job 2: plans the document of the current exportKind and writes it
// (cube maps: one document per face, named with the face's suffix before the
// extension of fileSpec's path). Every setting and the run state are as they
// were afterwards. A cancel (the host's abort, or the cancel byte set by the
// progress dialog) stops the rendering; the documents are still completed
// with what was rendered. Answers the last document's result (see
// export/export_files.h); the documents replace their targets only when all
// of them were written.
int16_t RunPsdExportJob(GlobalsRecord* globals, const FileSpec* fileSpec, uint8_t* cancel);

// The same, but a cancel writes nothing: no target is touched and the
// answer is kExportCancelled.
int16_t RunPsdExportJobDiscardingCancelled(GlobalsRecord* globals, const FileSpec* fileSpec, uint8_t* cancel);
