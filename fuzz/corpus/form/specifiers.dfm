inherited InstallForm: TFuzzForm
  object psProgramFiles: TpsProgramFiles
  end
  object psWindow: TpsWindow
  end
  object psSystem: TpsSystem
  end
  object psCommonFiles: TpsCommonFiles
  end
  object psContainerDestDir: TpsContainerDestDir
  end
  object psMainInstall: TpsMainInstall
  end
  object Target: TFuzzItem
    Caption = 'C:\Program Files\Tarn Viewer'
    Style = stNormal
    Options = []
    Next = Target
  end
end
