#pragma once

// Marks a name that reaches the current model (TModel::Current, model/Model.h) instead of a model
// that was handed over. Such names serve the model's own start-up and older callers (tests among
// them). The runtime, the user interface and the program (app/) are built with
// TOLVANE_HANDED_MODEL_ONLY, which turns every use of a marked name there into a warning (an error
// with TOLVANE_WERROR): they work on the model they were handed.
#if defined(TOLVANE_HANDED_MODEL_ONLY)
#define TOLVANE_CURRENT_MODEL [[deprecated("reaches the current model: use the model handed over")]]
#else
#define TOLVANE_CURRENT_MODEL
#endif
