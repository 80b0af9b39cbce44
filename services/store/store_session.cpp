#include "store/store_session.h"

#include <filesystem>

namespace kestra {

StoreSession::StoreSession(const std::string& folder, OperatorActions& surface, NoticeSink& notices)
    : folder_(folder),
      db_((std::filesystem::path(folder) / PresetDatabase::kFileName).string(), notices),
      preset_store_(db_),
      scene_store_(db_, folder, notices),
      recall_target_(surface.peq, surface.geq, surface.compressor, surface.limiter),
      presets_(surface.context(), preset_store_, recall_target_),
      scenes_(surface.context(), scene_store_, surface.full_state) {}

}  // namespace kestra
