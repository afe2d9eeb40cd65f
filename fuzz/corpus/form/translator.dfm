object SetupForm: TFuzzForm
  Caption = 'Tarn Viewer Setup'
  object MainTranslator: TTranslator
    TranslateIntoLanguage = tlGerman
    lgEnglish.Strings = (
      '* Tarnwell language text table: English'
      '100;Please insert disk #%d'
      '#600;'
      'Welcome to the setup of Tarn Viewer.'
      '#'
      '601;Cancel')
    lgGerman.FontOverride = True
    lgGerman.Font.Name = 'Arial'
    lgGerman.Font.Size = 10
    lgGerman.Strings = (
      '100;Bitte Diskette #%d einlegen'
      '601;Abbrechen')
    lgFrench.Strings = (
      '$64;Ins'#233'rez la disquette n'#176'%d')
  end
end
