# Each end-to-end case runs the updater and the simulated mixer for several seconds: besides x11 they
# carry the slow label. Read by CTest after the discovered tests.
foreach(test
        UpdaterWindowX11.TheRoadTakesAMixerInNormalModeThroughTheUpdateToSuccess
        UpdaterWindowX11.AnAbortedAndAFailedTransferOfferTryAgainWhichStartsOver
        UpdaterScreenX11.TheBarFillsInStepWithTheShareOfTheImageSent
        UpdaterScreenX11.ADeviceThatDoesNotComeBackAfterTheTransferOffersTryAgainBesideNext
        UpdaterHandOverX11.ADeviceInNormalModeHandsOverWhenTheSiblingHasWorkAndThisProgramHasNone
        UpdaterHandOverX11.ASiblingThatCannotStartShowsTheErrorBoxAndTheProgramStillEnds
        UpdaterHandOverX11.TheCommandLineModesEndWithoutAWindowWithTheirExitValue)
    set_tests_properties(${test} PROPERTIES LABELS "x11;slow")
endforeach()
