#pragma once

#include "params/field_path.h"

namespace kestra {

// A group of actions that owns some of the fields a script may "set".
class FieldCommitter {
public:
    virtual ~FieldCommitter() = default;
    // Stores `value` (state units) as the view owning the field commits it. Returns false when
    // the field is not one of this committer's; a value outside the field's range throws
    // std::invalid_argument and changes nothing.
    virtual bool commit_field(FieldTarget target, int index, const FieldPath& field, int value) = 0;
};

}  // namespace kestra
