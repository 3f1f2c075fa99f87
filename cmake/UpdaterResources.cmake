# The updater's resources, authored under Resources/: the skin and the two string-table documents as
# "ZQXML" (APP_SKINS, APP_STRINGS, FRAMEWORK_STRINGS), the looks' pictures as "GDIPLUS" under their file
# names, the application icon as "ICON" 128 and the two drop cursors as "CURSOR" 102 (move) and 103 (copy).
#
#   zq_embed_updater_resources(<target>)

include_guard(GLOBAL)

function(zq_embed_updater_resources target)
    set(root "${CMAKE_SOURCE_DIR}/Resources")
    zq_embed_resources(${target} TYPE ZQXML FILES "${root}/Skins/Skins.xml" NAME APP_SKINS)
    zq_embed_resources(${target} TYPE ZQXML FILES "${root}/Strings/App Strings.xml" NAME APP_STRINGS)
    zq_embed_resources(${target} TYPE ZQXML FILES "${root}/Strings/Framework Strings.xml" NAME FRAMEWORK_STRINGS)
    file(GLOB looks CONFIGURE_DEPENDS "${root}/Images/*.png")
    zq_embed_resources(${target} TYPE GDIPLUS FILES ${looks})
    zq_embed_resources(${target} TYPE ICON FILES "${root}/Icons/Application.png" NAME 128)
    zq_embed_resources(${target} TYPE CURSOR FILES "${root}/Cursors/Drop Move.png" NAME 102)
    zq_embed_resources(${target} TYPE CURSOR FILES "${root}/Cursors/Drop Copy.png" NAME 103)
endfunction()
