cmake_policy(SET CMP0007 NEW)
include(${CMAKE_CURRENT_LIST_DIR}/command_cases.cmake)
# Every command-line program on help requests, bad options, directories,
# missing, empty and malformed files: each ends with its status and message,
# none with a signal. One case per line:
#   PROGRAM | ARGUMENTS | STATUS | REGEX that standard output + error match
set(dir ${WORK}/command_lines)
file(REMOVE_RECURSE ${dir})
file(MAKE_DIRECTORY ${dir}/adir)
file(WRITE ${dir}/empty.mcb "")
file(WRITE ${dir}/empty.s "")
file(WRITE ${dir}/garbage.mcb "not an image at all, just text")
file(WRITE ${dir}/bad_identity.s ".identity 0x00000000000000000000000000000000000000ZZ\n")
file(WRITE ${dir}/good.s ".method \"main\" code=main\nmain:\n    ret 0, 1\n")
file(WRITE ${dir}/includes_missing.s "    nop\n.include \"nothere.s\"\n")
# Faults on several lines are all reported, up to 20.
file(WRITE ${dir}/three_errors.s ".method \"main\" code=main\nmain:\n    pushx 1\n    jmp nowhere\nmain:\n    ret 0, 1\n")
string(REPEAT "    bogus\n" 25 many_faults)
file(WRITE ${dir}/many_errors.s "${many_faults}")
file(MAKE_DIRECTORY ${dir}/beside)
file(MAKE_DIRECTORY ${dir}/profiled)
file(WRITE ${dir}/profiled/prog.s ".method \"main\" code=main frame=F\n.frame F\nmain:\n    push 7\n    ret 1, 2\n")
file(WRITE ${dir}/beside/prog.s ".method \"main\" code=main\nmain:\n    ret 0, 1\n")
set(no_display "${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME=${dir}/config")
file(WRITE ${dir}/bad.keymap "W = Up\nWubble = Down\n")
file(MAKE_DIRECTORY ${dir}/app)
file(WRITE ${dir}/app/index.mcb "")
# The player's command line is judged before any display is needed: refused
# ones end with their line, the usage and status 2; accepted ones go on to
# open the display, which is not there.
# (No square brackets or semicolons: the cases are a CMake list.)
set(player_usage "usage: mcbplayer .*--window .*--screenshot-after MS FILE.*--auto .* APPDIR .* IMAGE.*\n +mcbplayer --help\n$")
set(player_no_display "^mcbplayer: cannot open the display: Qt's platform \"xcb\" did not start \\(is DISPLAY set\\?\\). scripts/play starts a virtual display\n$")

set(cases
  "${MCBASM}|--help|0|usage: mcbasm.*Exit status"
  "${MCBASM}|--bogus a.s -o b.mcb|2|^usage: mcbasm"
  "${MCBASM}||2|^usage: mcbasm"
  "${MCBASM}|${dir}/adir -o ${dir}/x.mcb|1|cannot read"
  "${MCBASM}|${dir}/missing.s -o ${dir}/x.mcb|1|cannot read"
  "${MCBASM}|${dir}/bad_identity.s -o ${dir}/x.mcb|1|bad_identity.s:1: error: .*hex digit"
  "${MCBASM}|${dir}/good.s -o ${dir}/adir|1|cannot write"
  "${MCBASM}|${dir}/empty.s -o ${dir}/empty_source.mcb|0|^.*empty.s: warning: no method \"main\" is exported. the image cannot start\n$"
  "${MCBASM}|${dir}/three_errors.s -o ${dir}/x.mcb|1|^.*three_errors.s:3: error: unknown mnemonic 'pushx'\n.*three_errors.s:4: error: unknown label 'nowhere'\n.*three_errors.s:5: error: label 'main' defined twice\n$"
  "${MCBASM}|${dir}/many_errors.s -o ${dir}/x.mcb|1|^(.*many_errors.s:.*: error: unknown mnemonic 'bogus'\n)+mcbasm: stopped after 20 errors\n$"
  "${MCBASM}|${dir}/many_errors.s -o ${dir}/x.mcb|1|many_errors.s:20: error"
  "${MCBASM}|${dir}/beside/prog.s|0|^$"
  "${MCBDIS}|${dir}/beside/prog.mcb|0|\\.method \"main\""
  "${MCBASM}|${dir}/profiled/prog.s|0|^$"
  "${MCBRUN}|--profile-top many ${dir}/beside/prog.mcb|2|^usage: mcbrun"
  "${MCBRUN}|--profile-ops= ${dir}/beside/prog.mcb|2|^usage: mcbrun"
  "${MCBRUN}|--profile-ops=${dir}/adir ${dir}/beside/prog.mcb|1|^mcbrun: cannot write the profile to '.*adir': Is a directory\n$"
  "${MCBRUN}|--profile-ops=${dir}/profile.txt ${dir}/profiled/prog.mcb|0|^$"
  "${MCBASM}|${dir}/includes_missing.s -o ${dir}/x.mcb|1|includes_missing.s:2: error: cannot read include file '.*nothere.s'"
  "${MCBDIS}|--help|0|usage: mcbdis.*Exit status"
  "${MCBDIS}|-x|2|^usage: mcbdis"
  "${MCBDIS}|a.mcb b.mcb|2|^usage: mcbdis"
  "${MCBDIS}|--offsets|2|^usage: mcbdis"
  "${MCBDIS}|a.mcb --offsets|2|^usage: mcbdis"
  "${MCBDIS}|${dir}/adir|1|cannot read"
  "${MCBDIS}|${dir}/missing.mcb|1|cannot read"
  "${MCBDIS}|${dir}/empty.mcb|1|image rejected at byte offset 0, header, identity length"
  "${MCBDIS}|${dir}/garbage.mcb|1|image rejected at byte offset 0, header"
  "${MCBRUN}|--help|0|usage: mcbrun.*--time-limit.*Exit status"
  "${MCBRUN}|--frobnicate ${dir}/empty.mcb|2|^usage: mcbrun"
  "${MCBRUN}|--budget many ${dir}/empty.mcb|2|^usage: mcbrun"
  "${MCBRUN}|--time-limit -5 ${dir}/empty.mcb|2|^usage: mcbrun"
  "${MCBRUN}|${dir}/adir|1|^Failed to open '.*adir'"
  "${MCBRUN}|${dir}/missing.mcb|1|^Failed to open '.*missing.mcb'"
  "${MCBRUN}|${dir}/empty.mcb|1|^FATAL: .*Error while reading bytecode: image rejected at byte offset 0, header, identity length"
  "${MCBRUN}|${dir}/garbage.mcb|1|^FATAL: .*image rejected at byte offset 0, header"
  "${MCBPLAYER}|--help|0|usage: mcbplayer.*Ctrl\\+Q.*F11, Alt\\+Enter.*Exit status"
  "${no_display} ${MCBPLAYER}|--windw|2|^mcbplayer: unknown option '--windw'\n${player_usage}"
  "${no_display} ${MCBPLAYER}|some/app/index.mcb|2|^mcbplayer: 'some/app/index.mcb' is neither an application directory nor an image\n${player_usage}"
  "${no_display} ${MCBPLAYER}|--window --fullscreen|2|^mcbplayer: --window and --fullscreen exclude each other\n${player_usage}"
  "${no_display} ${MCBPLAYER}|--trace --trace|2|^mcbplayer: --trace is given twice\n${player_usage}"
  "${no_display} ${MCBPLAYER}|--screenshot-dir ${dir}|2|^mcbplayer: --screenshot-dir does nothing without --window or --fullscreen, which give the screenshot key\n${player_usage}"
  "${no_display} ${MCBPLAYER}|${dir}/app ${dir}/adir|2|^mcbplayer: '${dir}/adir' is a second application argument after '${dir}/app'\n${player_usage}"
  "${no_display} ${MCBPLAYER}|--auto ${dir}/app|2|^mcbplayer: --auto and the application argument '${dir}/app' exclude each other\n${player_usage}"
  "${no_display} ${MCBPLAYER}|${dir}/empty.mcb|2|^mcbplayer: '${dir}/empty.mcb' is no application directory, and an image must be named index.mcb\n${player_usage}"
  "${no_display} ${MCBPLAYER}|--speed 2|2|^mcbplayer: --speed does nothing without --window or --fullscreen, which give the player's clock controls\n${player_usage}"
  "${no_display} ${MCBPLAYER}|--window --speed 0|2|^mcbplayer: --speed needs a number from 0.25 to 8, not '0'\n${player_usage}"
  "${no_display} ${MCBPLAYER}|--window --keymap ${dir}/bad.keymap ${dir}/app|2|^mcbplayer: ${dir}/bad.keymap:2: unknown key 'Wubble'\n$"
  "${no_display} ${MCBPLAYER}|--window --keymap ${dir}/adir ${dir}/app|2|^mcbplayer: ${dir}/adir: not a regular file\n$"
  "${no_display} ${MCBPLAYER}|--volume 50 --mute ${dir}/app|1|${player_no_display}"
  "${no_display} ${MCBPLAYER}|${dir}/app|1|${player_no_display}"
  "${no_display} ${MCBPLAYER}|--trace ${dir}/app/index.mcb --window|1|${player_no_display}"
  "${no_display} ${MCBPLAYER}|--fullscreen --screenshot-dir ${dir} --auto|1|${player_no_display}"
  "${no_display} ${MCBPLAYER}|-- ${dir}/app|1|${player_no_display}"
  "${TONEGEN}|--help|0|usage: tonegen.*44100"
  "${TONEGEN}|${dir}/tune.raw|2|^usage: tonegen"
  "${TONEGEN}|${dir}/tune.raw 440:0|2|bad note '440:0'"
  "${TONEGEN}|${dir}/tune.raw 440:10x|2|bad note '440:10x'"
  "${TONEGEN}|${dir}/adir 440:10|1|cannot write"
  "${TONEGEN}|${dir}/tune.raw 440:10 0:5|0|^$"
  "${SOURCE}/scripts/play|--help|0|usage: scripts/play.*Exit status"
  "${SOURCE}/scripts/play|--bogus|2|^play: unknown argument '--bogus'\nusage: scripts/play"
  "${SOURCE}/scripts/play|${dir}/nonexistent|2|^play: '${dir}/nonexistent' is no directory\nusage: scripts/play"
  "${SOURCE}/scripts/play|${dir}/adir|2|^play: '${dir}/adir' holds no readable index.mcb\nusage: scripts/play"
  "${no_display} ${MCBPLAYER}||1|${player_no_display}"
  "${no_display} ${MCBRUN}|${dir}/empty.mcb|1|^mcbrun: cannot open the display.*needs no display\n$"
)

set(failures "")
check_command_cases(failures ${dir}/adir ${cases})
# The profile named by --profile-ops=FILE: the two instructions of profiled/prog.s.
file(READ ${dir}/profile.txt profile)
if(NOT profile MATCHES "^profile: 2 instructions run[^\n]*\nprofile: single 1 50.00% ret\nprofile: single 1 50.00% push\nprofile: pair 1 50.00% push [|] ret\n$")
  string(APPEND failures "\n--profile-ops=FILE wrote: ${profile}")
endif()
if(failures)
  message(FATAL_ERROR "command lines that went wrong:${failures}")
endif()
