# The program's schemas folder, laid out from the published schemas (../shared/schemas):
# sourced by the demo, the Windows package and the Windows end-to-end test.
#
# schemas_copiar <published schemas> <target folder>: the eSocial and EFD-Reinf files in one
# folder (EFD-Reinf first, so that the eSocial copy of the signature schema, the full one,
# wins), then the folders of the simplified eSocial layouts (S_01_0*) and of the EFD-Reinf
# asynchronous lots (v2_*), whose files include their own version's types.
schemas_copiar() {
  local src=$1 target=$2
  if [ ! -d "$src/esocial" ] || [ ! -d "$src/reinf" ]; then
    echo "The published schemas are not at $src (set LUVARO_SHARED_SCHEMAS)." >&2
    return 1
  fi
  mkdir -p "$target"
  cp "$src"/reinf/*.xsd "$target/"
  cp "$src"/esocial/*.xsd "$target/"
  local folder
  for folder in "$src"/esocial/S_* "$src"/reinf/v2_*; do
    [ -d "$folder" ] && cp -r "$folder" "$target/"
  done
  return 0
}
