// A stand-in remote-access library that only exports the entry points, each
// answering "nothing": the binding tests load it and replace the entries
// they exercise. Built a second time without CeMoveFile (an incomplete
// library must not bind).
#define MRW_RAPI_BUILDING
#include "handheld/rapi/RapiTypes.h"

#if defined(FAKE_RAPI_WITHOUT_MOVE)
#define CeMoveFile FakeRapiLeftOut
#endif

#define FAKE_RAPI_STUB(name, result, params) \
    extern "C" MRW_RAPI_API result MRW_RAPI_CALL name params { return result(); }
MRW_RAPI_FUNCTIONS(FAKE_RAPI_STUB)
