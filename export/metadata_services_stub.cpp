// The metadata blocks in their least form: every block stays empty.
#include "export/metadata_services_stub.h"

#include <cstring>

void InitExifBlock(MetadataStream* stream) { std::memset(stream, 0, sizeof *stream); }

void FreeExifBlock(MetadataStream* stream) { InitExifBlock(stream); }

uint32_t BuildExifBlock(MetadataStream* /*stream*/, bool /*withHeader*/, bool /*measure*/) { return 0; }

void InitIptcBlock(IptcBlock* block) { std::memset(block, 0, sizeof *block); }

void FreeIptcBlock(IptcBlock* block) { InitIptcBlock(block); }

void AddDocumentKeywords(IptcBlock* /*block*/, const ExportPlan* /*plan*/, int32_t /*kind*/) {}

void AddSettingsKeywords(IptcBlock* /*block*/, GlobalsRecord* /*globals*/) {}

uint32_t BuildPhotoshopIptcBlock(IptcBlock* /*block*/, bool /*withHeader*/, bool /*measure*/) { return 0; }
