#pragma once

// The digest the update check compares a downloaded installer with (Sha256DoArquivo).
#include "dfe/resumo_sha256.h"
